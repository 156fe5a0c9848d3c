#pragma once

#include <QString>

#include <functional>
#include <vector>

namespace ret {

struct Session;

// The retention voucher window: one voucher of the supplier in hand, its rate and retention,
// and the list of the payment vouchers it covers. It works on the staging tables only; the
// widget shows this state and forwards the user's actions.
class FrmDetAgeRet {
public:
    enum class Focus { None, Serie, Numero, Fecha, Base };

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
    const QString& serie() const { return serie_; }
    const QString& numero() const { return numero_; }
    const QString& fecha() const { return fecha_; }
    const QString& base() const { return base_; }
    const QString& tasa() const { return tasa_; }
    const QString& retencion() const { return retencion_; }

    // A key typed in the serie (character code, 8 Backspace, 13 Enter): the key the field
    // receives, 0 when it is cancelled. Enter is cancelled and moves on when there is a serie.
    int serieKey(int key, int caret, bool hasSelection);
    void setSerie(const QString& text);
    void serieFocusOut();

    int numeroKey(int key);
    void setNumero(const QString& text);
    void numeroFocusOut();

    // The date as the masked field shows it ("_" for what is not typed yet).
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

    // --- state the widget shows
    bool readOnly() const { return readOnly_; }
    bool keyEnabled() const { return keyEnabled_; } // serie and number
    bool changed() const { return changed_; }
    Focus takeFocusRequest();
    // Set by a key handler when the focus should move on (Enter).
    bool takeMoveOn();
    std::function<void()> onChange; // the widget re-reads the state

private:
    void notify();
    void error(const QString& text, Focus focus);
    void dbError(const QString& text);
    void calculaRetencion();
    bool voucherExists();
    void refreshList();
    void storeVoucher(bool isNew);
    bool runNuevo();

    Session& session_;
    bool readOnly_ = false;
    bool keyEnabled_ = true;
    bool changed_ = false;
    bool moveOn_ = false;
    Focus focus_ = Focus::None;
    int baseMaxLength_ = 18;

    QString ruc_;
    QString serie_;
    QString numero_;
    QString fecha_;
    QString base_;
    QString tasa_;
    QString retencion_;

    std::vector<PaymentRow> payments_;
    int current_ = -1;
    QString countCaption_;
};

} // namespace ret
