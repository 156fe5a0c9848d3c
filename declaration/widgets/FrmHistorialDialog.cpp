#include "declaration/widgets/FrmHistorialDialog.h"

#include "common/widgets/FormHelpers.h"

#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace ret {

FrmHistorialDialog::FrmHistorialDialog(const QString& text, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Historial de cambios"));
    workButtonsFromKeyboard(*this);
    QPlainTextEdit* lines = newFixedText(this, QStringLiteral("TxtHistorial"), text);
    lines->setLineWrapMode(QPlainTextEdit::NoWrap);

    auto* close = new QPushButton(QStringLiteral("&Cerrar"), this);
    close->setObjectName(QStringLiteral("CmdCerrar"));
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lines);
    layout->addLayout(buttons);
    resize(720, 420);
}

} // namespace ret
