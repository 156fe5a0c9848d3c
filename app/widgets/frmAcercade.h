#pragma once

#include <QDialog>

namespace ret {

// The About window.
class frmAcercade final : public QDialog {
    Q_OBJECT
public:
    frmAcercade(const QWidget* main, QWidget* parent);
};

} // namespace ret
