#include "import/widgets/frmTransferenciaDialog.h"

#include "common/Session.h"
#include "common/widgets/FormHelpers.h"
#include "common/widgets/WidgetWindows.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace ret {

frmTransferenciaDialog::frmTransferenciaDialog(Session& session,
                                               std::function<void(const QString&)> showReport,
                                               QWidget* parent)
    : QDialog(parent), model_(session), showReport_(std::move(showReport)),
      directory_(new QLineEdit(this)), transferidos_(new QLabel(this)),
      rechazados_(new QLabel(this)), progress_(new QProgressBar(this)),
      aceptar_(new QPushButton(QStringLiteral("&Aceptar"), this)) {
    setWindowTitle(import::frmTransferencia::kCaption);
    workButtonsFromKeyboard(*this);
    auto* frame = new QGroupBox(QStringLiteral("Directorio :"), this);
    auto* choose = new QPushButton(QStringLiteral("..."), frame);
    directory_->setText(QDir::homePath());
    auto* row = new QHBoxLayout(frame);
    row->addWidget(directory_);
    row->addWidget(choose);
    auto* salir = new QPushButton(QStringLiteral("&Salir"), this);
    progress_->setVisible(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(aceptar_);
    buttons->addWidget(salir);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Seleccione el directorio donde se encuentra el "
                                                "archivo de datos a importar:"),
                                 this));
    layout->addWidget(frame);
    layout->addWidget(transferidos_);
    layout->addWidget(rechazados_);
    layout->addWidget(progress_);
    layout->addLayout(buttons);
    transferidos_->setText(model_.transferidos());
    rechazados_->setText(model_.rechazados());

    connect(choose, &QPushButton::clicked, this, [this] {
        const QString d =
            QFileDialog::getExistingDirectory(this, windowTitle(), directory_->text());
        if (!d.isEmpty())
            directory_->setText(d);
    });
    connect(aceptar_, &QPushButton::clicked, this, &frmTransferenciaDialog::run);
    connect(salir, &QPushButton::clicked, this, &frmTransferenciaDialog::reject);
}

void frmTransferenciaDialog::run() {
    model_.setDirectory(directory_->text());
    aceptar_->setEnabled(false);
    progress_->setVisible(true);
    model_.aceptar([this](int done, int total) {
        progress_->setMaximum(total);
        progress_->setValue(done);
        QApplication::processEvents(); // the window answers, "&Salir" included, while it runs
        return !model_.aborting();
    });
    progress_->setVisible(false);
    aceptar_->setEnabled(true);
    transferidos_->setText(model_.transferidos());
    rechazados_->setText(model_.rechazados());
    if (model_.aborting()) {
        QDialog::reject(); // "&Salir" came during the run
        return;
    }
    if (!model_.reportToShow().isEmpty() && showReport_)
        showReport_(model_.reportToShow());
}

void frmTransferenciaDialog::reject() {
    if (model_.running()) {
        model_.salir(); // the run stops after its line and the window closes then
        return;
    }
    QDialog::reject();
}

void registerImportWindow(WidgetWindows& windows, Session& session,
                          std::function<void(const QString&)> showReport) {
    Session* s = &session;
    windows.registerWindow(
        Window::frmTransferencia, [s, showReport](QWidget* parent) -> std::unique_ptr<QDialog> {
            return std::make_unique<frmTransferenciaDialog>(*s, showReport, parent);
        });
}

} // namespace ret
