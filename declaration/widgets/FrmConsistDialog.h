#pragma once

#include <QDialog>

namespace ret {

// The inconsistencies found by the last validation, the lines it wrote to Mens.txt.
class FrmConsistDialog : public QDialog {
    Q_OBJECT
public:
    FrmConsistDialog(const QString& lines, QWidget* parent);
};

} // namespace ret
