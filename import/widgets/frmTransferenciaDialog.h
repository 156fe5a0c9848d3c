#pragma once

#include "import/frmTransferencia.h"

#include <QDialog>

#include <functional>

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace ret {

class WidgetWindows;

// The import window: a directory chooser, the two counters and a progress bar while it runs.
class frmTransferenciaDialog : public QDialog {
    Q_OBJECT
public:
    // `showReport` shows a composed report (the viewer, where there is one).
    frmTransferenciaDialog(Session& session, std::function<void(const QString&)> showReport,
                           QWidget* parent);

public slots:
    void reject() override;

private:
    void run();

    import::frmTransferencia model_;
    std::function<void(const QString&)> showReport_;
    QLineEdit* directory_;
    QLabel* transferidos_;
    QLabel* rechazados_;
    QProgressBar* progress_;
    QPushButton* aceptar_;
};

// Makes the import window available to the program.
void registerImportWindow(WidgetWindows& windows, Session& session,
                          std::function<void(const QString&)> showReport = {});

} // namespace ret
