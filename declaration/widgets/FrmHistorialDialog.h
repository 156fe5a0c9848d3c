#pragma once

#include <QDialog>

namespace ret {

// The record of the changes of the declaration chosen in a list, newest first; read only.
class FrmHistorialDialog : public QDialog {
    Q_OBJECT
public:
    FrmHistorialDialog(const QString& text, QWidget* parent);
};

} // namespace ret
