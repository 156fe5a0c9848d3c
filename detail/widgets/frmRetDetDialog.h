#pragma once

#include "detail/frmRetDet.h"

#include "detail/widgets/VoucherFieldFilter.h"

#include <QDialog>

#include <memory>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace ret {

// The payment voucher window: shows the state of its frmRetDet and forwards what the user does.
class frmRetDetDialog : public QDialog {
    Q_OBJECT
public:
    frmRetDetDialog(Session& session, QWidget* parent);
    frmRetDet& model() { return model_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

public slots:
    // Escape and the close box leave as "&Salir" does.
    void reject() override;

private:
    void sync();
    void fitTypeName();
    void applyFocus();
    // Enter in the type list moves on like Tab.
    bool typeKey(const QKeyEvent& key);

    frmRetDet model_;
    bool syncing_ = false;
    std::unique_ptr<voucher::VoucherFieldFilter<frmRetDet>> fields_;

    QComboBox* cmbTipoDoc_ = nullptr;
    QLabel* lblDesDoc_ = nullptr;
    QLineEdit* txtSerie_ = nullptr;
    QLineEdit* txtNumero_ = nullptr;
    QLineEdit* mkeFecEmis_ = nullptr;
    QLineEdit* txtMtoDet_ = nullptr;
    QPushButton* cmdAceptar_ = nullptr;
    QPushButton* cmdSalir_ = nullptr;
};

} // namespace ret
