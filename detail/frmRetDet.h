#pragma once

#include <QString>
#include <QStringList>

#include <functional>

namespace ret {

struct Session;

// The payment voucher window: one payment voucher covered by the retention voucher in hand
// (the voucher window hands over its supplier in selectedSubject and its serie and number in
// selectedVoucher). It writes the staging table of payment vouchers at once; the widget shows
// this state and forwards the user's actions.
class frmRetDet {
public:
    enum class Focus { None, Tipo, Serie, Numero, Fecha, Total };

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

    const QString& serie() const { return serie_; }
    // A key typed in the serie (character code, 8 Backspace, 13 Enter): the key the field
    // receives, 0 when it is cancelled.
    int serieKey(int key, int caret, bool hasSelection);
    void setSerie(const QString& text);
    void serieFocusOut();

    const QString& numero() const { return numero_; }
    int numeroKey(int key);
    void setNumero(const QString& text);
    void numeroFocusOut();
    int numeroMaxLength() const { return numeroMax_; }

    const QString& fecha() const { return fecha_; }
    // The date as the masked field shows it ("_" for what is not typed yet).
    void setFecha(const QString& text);
    bool ValidaFechaOrigen();

    const QString& total() const { return total_; }
    int totalKey(int key);
    void setTotal(const QString& text);
    void totalFocusIn();
    void totalFocusOut();
    int totalMaxLength() const { return totalMax_; }

    bool ValidaGrabar();

    // --- state the widget shows
    bool readOnly() const { return readOnly_; }
    bool keyEnabled() const { return keyEnabled_; } // type, serie and number
    bool changed() const { return changed_; }
    bool creditNote() const { return typeCode() == QLatin1String("07"); }
    Focus takeFocusRequest();
    bool takeMoveOn();
    std::function<void()> onChange;

private:
    void notify();
    void error(const QString& text, Focus focus);
    void fillTypes();
    void applyType(int index);
    bool grabar();
    void clearForNext();

    Session& session_;
    bool readOnly_ = false;
    bool keyEnabled_ = true;
    bool isNew_ = true;
    bool changed_ = false;
    bool loading_ = false;
    bool moveOn_ = false;
    Focus focus_ = Focus::None;

    QString ownerRuc_;
    QString ownerSerie_;
    QString ownerNumero_;

    QStringList types_;
    int type_ = -1;
    QString desDoc_;
    QString serie_;
    QString numero_;
    int numeroMax_ = 8;
    QString fecha_;
    QString total_;
    int totalMax_ = 18;
};

} // namespace ret
