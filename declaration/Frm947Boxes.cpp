// The declaration window's boxes: their chain of totals, how they show while typed and at rest,
// and the payment form that follows box 410.
#include "declaration/Frm947.h"

#include "common/Decimal.h"
#include "common/NumberFormat.h"
#include "declaration/Frm947Parts.h"

namespace ret {
namespace {

// A typed box as it shows once the focus has left it: box 402 as a deduction in parentheses.
QString restingForm(int code, const QString& text) {
    if (code == 402)
        return text.trimmed().isEmpty() ? text
                                        : formatText(text, QStringLiteral("(###,###,###,##0)"));
    return formatText(text, QStringLiteral("###,###,###,##0"));
}

} // namespace

// ------------------------------------------------------------------------------------ boxes

QString Frm947::box(int code) const {
    const auto it = boxes_.find(code);
    return it == boxes_.end() ? QString() : it->second;
}

void Frm947::setBoxRaw(int code, const QString& text) {
    boxes_[code] = text;
    switch (code) {
    case 401:
    case 402:
        calcular403();
        break;
    case 403:
    case 404:
        calcular405();
        break;
    case 410:
        calcularTotal();
        break;
    default:
        break;
    }
}

void Frm947::setBox(int code, const QString& text) {
    if (box(code) == text)
        return;
    setBoxRaw(code, text);
    notify();
}

void Frm947::calcular403() {
    if (box(401).isEmpty() && box(402).isEmpty()) {
        setBoxRaw(403, QString());
        return;
    }
    const QString plain = QStringLiteral("#########0");
    const Decimal r = readNumber(box(401), plain) - readNumber(box(402), plain).abs();
    setBoxRaw(403, r.isNegative() ? QStringLiteral("0") : formatNumber(r, "#,###,###,##0"));
}

void Frm947::calcular405() {
    if (box(403).isEmpty() && box(404).isEmpty()) {
        setBoxRaw(405, QString());
        return;
    }
    const QString plain = QStringLiteral("#########0");
    const Decimal t = readNumber(box(403), plain) + readNumber(box(404), plain);
    setBoxRaw(405, t.isNegative() ? QStringLiteral("0") : formatNumber(t, "#,###,###,##0"));
}

void Frm947::calcularTotal() {
    if (box(410).isEmpty()) {
        payment_.importe.clear();
        return;
    }
    const Decimal x = readNumber(box(410), QStringLiteral("#########0"));
    payment_.importe = x.isNegative() ? QStringLiteral("0") : formatNumber(x, "#,###,###,##0");
}

QString Frm947::boxFocusIn(int code) {
    typing_ = code;
    const QString text = box(code);
    QString shown;
    if (code == 402) {
        if (!text.trimmed().isEmpty())
            shown = formatNumber(readNumber(text, QStringLiteral("############")).abs(),
                                 QStringLiteral("############"));
    } else {
        shown = formatText(text, QStringLiteral("###########0"));
    }
    setBox(code, shown);
    return shown;
}

void Frm947::boxFocusOut(int code) {
    typing_ = 0;
    setBox(code, restingForm(code, box(code)));
}

QString Frm947::restingBox(int code) const {
    return code == typing_ ? restingForm(code, box(code)) : box(code);
}

bool Frm947::boxKey(int key) {
    changed_ = true;
    return frm947::isEditKey(key);
}

int Frm947::boxMaxLength(int code, bool focused) const {
    if (focused)
        return 12;
    return code == 402 ? 18 : 15;
}

void Frm947::setPayment(const PaymentForm& p) {
    const QString importe = payment_.importe; // the amount follows box 410, not the control
    payment_ = p;
    payment_.importe = importe;
    changed_ = true;
    notify();
}

} // namespace ret
