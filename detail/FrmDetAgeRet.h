#pragma once

#include "detail/VoucherEntryFields.h"

#include <QString>

#include <functional>
#include <vector>

namespace ret {

enum class DetAgeRetFocus { None, Serie, Numero, Fecha, Base };

// The retention voucher window: one voucher of the supplier in hand, its rate and retention,
// and the list of the payment vouchers it covers. It works on the staging tables only; the
// widget shows this state and forwards the user's actions.
class FrmDetAgeRet : public VoucherEntryFields<DetAgeRetFocus> {
public:
    using Focus = DetAgeRetFocus;

    // One row of the payment-voucher list, as stored.
    struct PaymentRow {
        QString nombre; // the type's name (table 233)
        QString serie;
        QString numero;
        QString fecha; // dd/mm/yyyy
        QString tipo;
        QString monto;
        // Positive amounts plain, any other in brackets without sign: credit notes.
        QString montoShown() const;
    };

    static inline const QString kCaption = QString::fromUtf8("Detalle de la Retención");

    explicit FrmDetAgeRet(Session& session);

    // --- the window's life
    void load();
    void activate(); // each time the window becomes active: the list is re-read
    bool aceptar();  // true when the window closes
    bool salir();    // true when the window closes

    // --- fields
    const QString& ruc() const { return ruc_; }
    const QString& base() const { return base_; }
    const QString& tasa() const { return tasa_; }
    const QString& retencion() const { return retencion_; }

    // A key typed in the serie: letters and digits by the serie rules.
    int serieKey(int key, int caret, bool hasSelection) {
        return serieKeyWith(key, caret, hasSelection, true);
    }
    void numeroFocusOut() { padNumero(8); }

    void setFecha(const QString& text);
    void fechaKey() { changed_ = true; }
    bool ValidaFecha();

    // The amount paid: every change recomputes the rate and the retention.
    void setBase(const QString& text);
    int baseKey(int key);
    void baseFocusIn();
    void baseFocusOut();
    int baseMaxLength() const { return baseMaxLength_; }

    bool ValidaGrabar();

    // --- payment-voucher list
    const std::vector<PaymentRow>& payments() const { return payments_; }
    int currentPayment() const { return current_; }
    void setCurrentPayment(int row);
    const QString& countCaption() const { return countCaption_; }
    void nuevo();
    void modificar();
    void eliminar();

private:
    void dbError(const QString& text);
    void calculaRetencion();
    bool voucherExists();
    void refreshList();
    void storeVoucher(bool isNew);
    bool runNuevo();

    int baseMaxLength_ = 18;

    QString ruc_;
    QString base_;
    QString tasa_;
    QString retencion_;

    std::vector<PaymentRow> payments_;
    int current_ = -1;
    QString countCaption_;
};

} // namespace ret
