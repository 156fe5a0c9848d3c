#pragma once

#include <QDialog>

namespace ret {

// The inconsistencies found by the last validation, as written to Mens.txt.
class FrmConsistDialog : public QDialog {
    Q_OBJECT
public:
    FrmConsistDialog(const QString& file, QWidget* parent);
};

} // namespace ret
