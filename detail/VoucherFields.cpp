#include "detail/VoucherFields.h"

#include "common/NumberFormat.h"

namespace ret::voucher {

QDate readDate(const QString& text) {
    if (text.size() != 10)
        return QDate();
    return QDate::fromString(text, QStringLiteral("dd/MM/yyyy"));
}

QString yearMonth(const QString& text) {
    return text.mid(6, 4) + text.mid(3, 2);
}

QString periodShown(const QString& yyyymm) {
    return yyyymm.mid(4, 2) + QLatin1Char('/') + yyyymm.left(4);
}

Decimal amountOf(const QString& text) {
    return Decimal::leadingValue(formatText(text.trimmed(), QStringLiteral("###########0.#0")));
}

QString countCaption(int rows) {
    return QString::number(rows) + QStringLiteral("   Registros      ");
}

int typingLength(const QString& text, int key, int withoutPoint, int withPoint) {
    return text.contains(QLatin1Char('.')) || key == '.' ? withPoint : withoutPoint;
}

} // namespace ret::voucher
