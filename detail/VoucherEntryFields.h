#pragma once

#include "common/Decimal.h"
#include "common/FieldRules.h"
#include "common/Messages.h"
#include "common/Session.h"
#include "detail/SerieRules.h"
#include "detail/VoucherFields.h"

#include <QString>

#include <functional>

namespace ret {

// What the two voucher windows share: the serie, number and date of the voucher typed, their
// key rules, and the state the widget reads back (read-only, keys enabled, edited, the focus
// asked for, Enter moving on). `Focus` is the window's own list of fields.
template <typename Focus> class VoucherEntryFields {
public:
    const QString& serie() const { return serie_; }
    void setSerie(const QString& text) {
        if (text == serie_)
            return;
        serie_ = text;
        notify();
    }
    void serieFocusOut() { setSerie(serie::padOnLeave(*session_.rules, serie_)); }

    const QString& numero() const { return numero_; }
    // A key typed in the number: digits only; Enter moves on.
    int numeroKey(int key) {
        if (readOnly_ || !keyEnabled_)
            return 0;
        changed_ = true;
        if (key == voucher::kEnter) {
            moveOn_ = true;
            return 0;
        }
        return session_.rules->FilterDigitKey(key, false);
    }
    void setNumero(const QString& text) {
        if (text == numero_)
            return;
        numero_ = text;
        notify();
    }

    // The date as the masked field shows it ("_" for what is not typed yet).
    const QString& fecha() const { return fecha_; }

    bool readOnly() const { return readOnly_; }
    bool keyEnabled() const { return keyEnabled_; }
    bool changed() const { return changed_; }
    Focus takeFocusRequest() {
        const Focus f = focus_;
        focus_ = Focus::None;
        return f;
    }
    // Set by a key handler when the focus should move on (Enter).
    bool takeMoveOn() {
        const bool m = moveOn_;
        moveOn_ = false;
        return m;
    }
    std::function<void()> onChange; // the widget re-reads the state

protected:
    VoucherEntryFields(Session& session, QString caption)
        : session_(session), caption_(std::move(caption)) {}

    void notify() {
        if (onChange)
            onChange();
    }
    void error(const QString& text, Focus focus) {
        session_.messages->inform(MsgIcon::Critical, text, caption_);
        if (focus != Focus::None)
            focus_ = focus;
        notify();
    }
    // A key typed in the serie (character code, 8 Backspace, 13 Enter): the key the field
    // receives, 0 when it is cancelled; Enter is cancelled and moves on when there is a serie.
    // Where letters may be typed only an accepted key counts as an edit; any key elsewhere.
    int serieKeyWith(int key, int caret, bool hasSelection, bool letters) {
        if (readOnly_ || !keyEnabled_)
            return 0;
        if (key == voucher::kEnter) {
            moveOn_ = !serie_.trimmed().isEmpty();
            return 0;
        }
        const int k = serie::filterKey(*session_.rules, serie_, caret, hasSelection, key, letters);
        if (k != 0 || !letters)
            changed_ = true;
        return k;
    }
    // The first checks of saving, the same in both windows: a serie, a number that is not
    // zero, and a date typed. False after the message of the first that fails.
    bool checkKeyFields(const QString& zeroNumber) {
        if (serie_.trimmed().isEmpty()) {
            error(QStringLiteral("Ingrese la serie"), Focus::Serie);
            return false;
        }
        if (numero_.trimmed().isEmpty()) {
            error(QString::fromUtf8("Ingrese el número del documento"), Focus::Numero);
            return false;
        }
        if (Decimal::leadingValue(numero_).isZero()) {
            error(zeroNumber, Focus::Numero);
            return false;
        }
        if (fecha_ == voucher::kEmptyDate) {
            error(QString::fromUtf8("Debe ingresar la fecha de emisión."), dateFocus());
            return false;
        }
        return true;
    }
    // The serie checked against the voucher's type and date: false after the rules' message.
    bool serieAccepted(serie::Fault fault) {
        if (fault == serie::Fault::None)
            return true;
        session_.rules->ShowMessage(serie::faultMessage(fault), caption_);
        return false;
    }
    // A key typed in the amount: digits and one point; Enter is cancelled and moves on.
    // `maxLength` becomes what the field allows after the key (see voucher::typingLength).
    int amountKeyWith(int key, const QString& amount, int& maxLength, int withoutPoint,
                      int withPoint) {
        if (readOnly_)
            return 0;
        changed_ = true;
        if (key == voucher::kEnter) {
            moveOn_ = true;
            return 0;
        }
        int k = session_.rules->FilterDigitKey(key, true);
        if (k == '.' && amount.contains(QLatin1Char('.')))
            k = 0;
        maxLength = voucher::typingLength(amount, k, withoutPoint, withPoint);
        return k;
    }
    // A storage failure, told as it came.
    void showDbError(const QString& text) {
        session_.messages->inform(MsgIcon::None, text, QStringLiteral("Error"));
    }
    // A date typed or shown: once whole (no "_" left) the window's own check hears it.
    template <typename Check> void setFechaThen(const QString& text, Check check) {
        if (text == fecha_)
            return;
        fecha_ = text;
        if (!fecha_.contains(QLatin1Char('_')))
            check();
        notify();
    }
    // The last check of a date: its month is one of the twelve.
    bool monthValid() {
        const int month = fecha_.mid(3, 2).toInt();
        if (month < 1 || month > 12) {
            error(QString::fromUtf8("La fecha no es válida."), Focus::Fecha);
            return false;
        }
        return true;
    }
    // Where a refused date sends the focus: nowhere in a read-only window.
    Focus dateFocus() const { return readOnly_ ? Focus::None : Focus::Fecha; }
    // Leaving the number fills it with zeros on the left to its width.
    void padNumero(int width) {
        if (!numero_.trimmed().isEmpty())
            setNumero(session_.rules->PadLeftWith(numero_.trimmed(), width, u'0'));
    }

    Session& session_;
    const QString caption_;
    bool readOnly_ = false;
    bool keyEnabled_ = true;
    bool changed_ = false;
    bool moveOn_ = false;
    Focus focus_ = Focus::None;

    QString serie_;
    QString numero_;
    QString fecha_;
};

} // namespace ret
