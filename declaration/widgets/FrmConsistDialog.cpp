#include "declaration/widgets/FrmConsistDialog.h"

#include "common/widgets/FormHelpers.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace ret {

FrmConsistDialog::FrmConsistDialog(const QString& lines, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Inconsistencias detectadas"));
    workButtonsFromKeyboard(*this);
    auto* text = new QPlainTextEdit(this);
    text->setReadOnly(true);
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::Monospace);
    text->setFont(font);
    text->setObjectName(QStringLiteral("TxtPreliminar"));
    text->setPlainText(lines);

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
