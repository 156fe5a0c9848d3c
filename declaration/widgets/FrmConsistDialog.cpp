#include "declaration/widgets/FrmConsistDialog.h"

#include "common/widgets/FormHelpers.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace ret {

FrmConsistDialog::FrmConsistDialog(const QString& lines, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Inconsistencias detectadas"));
    workButtonsFromKeyboard(*this);
    QPlainTextEdit* text = newFixedText(this, QStringLiteral("TxtPreliminar"), lines);

    auto* accept = new QPushButton(QStringLiteral("&Aceptar"), this);
    auto* print = new QPushButton(QStringLiteral("&Imprimir"), this);
    print->setEnabled(false);
    connect(accept, &QPushButton::clicked, this, &QDialog::accept);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(accept);
    buttons->addWidget(print);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(
        QStringLiteral("En su declaración se han detectado las siguientes inconsistencias :"),
        this));
    layout->addWidget(text);
    layout->addLayout(buttons);
    resize(560, 300);
}

} // namespace ret
