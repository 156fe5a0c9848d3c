#pragma once

#include "detail/VoucherEntryFields.h"

#include <QString>
#include <QStringList>

#include <functional>

namespace ret {

enum class RetDetFocus { None, Tipo, Serie, Numero, Fecha, Total };

// The payment voucher window: one payment voucher covered by the retention voucher in hand
// (the voucher window hands over its supplier in selectedSubject and its serie and number in
// selectedVoucher). It writes the staging table of payment vouchers at once; the widget shows
// this state and forwards the user's actions.
class frmRetDet : public VoucherEntryFields<RetDetFocus> {
public:
    using Focus = RetDetFocus;

    static inline const QString kCaption =
        QString::fromUtf8("0947 - Detalle del Comprobante de Pago Involucrado");

    explicit frmRetDet(Session& session);

    // --- the window's life
    void load();
    bool aceptar(); // true when the window closes (a modification); a new one clears instead
    bool salir();   // true when the window closes

    // --- the owner: the retention voucher
    const QString& ownerRuc() const { return ownerRuc_; }
    const QString& ownerSerie() const { return ownerSerie_; }
    const QString& ownerNumero() const { return ownerNumero_; }

    // --- fields
    // One entry per type: code, three blanks, the 40-character name.
    const QStringList& types() const { return types_; }
    int typeIndex() const { return type_; }
    QString typeCode() const; // the chosen entry's first two characters
    void chooseType(int index);
    const QString& desDoc() const { return desDoc_; }

    // A key typed in the serie: letters only for the types whose series may hold them.
    int serieKey(int key, int caret, bool hasSelection);
    void numeroFocusOut();
    int numeroMaxLength() const { return numeroMax_; }

    void setFecha(const QString& text);
    bool ValidaFechaOrigen();

    const QString& total() const { return total_; }
    int totalKey(int key);
    void setTotal(const QString& text);
    void totalFocusIn();
    void totalFocusOut();
    int totalMaxLength() const { return totalMax_; }

    bool ValidaGrabar();

    // --- state the widget shows (keys enabled: type, serie and number)
    bool creditNote() const { return typeCode() == QLatin1String("07"); }

private:
    void fillTypes();
    void applyType(int index);
    bool grabar();
    void clearForNext();

    bool isNew_ = true;
    bool loading_ = false;

    QString ownerRuc_;
    QString ownerSerie_;
    QString ownerNumero_;

    QStringList types_;
    int type_ = -1;
    QString desDoc_;
    int numeroMax_ = 8;
    QString total_;
    int totalMax_ = 18;
};

} // namespace ret
