#pragma once

#include "detail/FrmDetAgeRet.h"

#include "detail/widgets/VoucherFieldFilter.h"

#include <QDialog>

#include <memory>

class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace ret {

// The retention voucher window: shows the state of its FrmDetAgeRet and forwards what the user
// does.
class FrmDetAgeRetDialog : public QDialog {
    Q_OBJECT
public:
    FrmDetAgeRetDialog(Session& session, QWidget* parent);
    FrmDetAgeRet& model() { return model_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

public slots:
    // Escape and the close box leave as "&Salir" does.
    void reject() override;

private:
    void sync();
    void syncList();
    void applyFocus();
    // The button takes the focus first, so that the field left is finished as on a click.
    void run(QPushButton* button, void (FrmDetAgeRet::*action)());

    FrmDetAgeRet model_;
    bool syncing_ = false;
    std::unique_ptr<voucher::VoucherFieldFilter<FrmDetAgeRet>> fields_;

    QLineEdit* txtNumRuc_ = nullptr;
    QLineEdit* txtSerie_ = nullptr;
    QLineEdit* txtNumero_ = nullptr;
    QLineEdit* mkeFecEmis_ = nullptr;
    QLineEdit* txtMtoBase_ = nullptr;
    QLineEdit* txtTasa_ = nullptr;
    QLineEdit* txtRetencion_ = nullptr;
    QTableWidget* grdDetRet_ = nullptr;
    QPushButton* cmdOpciones1_[3] = {};
    QLabel* lblNumTrab_ = nullptr;
    QPushButton* cmdAceptar_ = nullptr;
    QPushButton* cmdSalir_ = nullptr;
};

} // namespace ret
