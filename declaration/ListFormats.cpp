#include "declaration/ListFormats.h"

#include "common/Schema.h"

#include <QDate>
#include <QDateTime>

namespace ret {
namespace {

bool allDigits(const QString& text) {
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    }
    return true;
}

} // namespace

QString maskedPeriod(const QString& mmyyyy) {
    if (mmyyyy.size() != 6 || !allDigits(mmyyyy))
        return mmyyyy;
    return mmyyyy.left(2) + QLatin1Char('/') + mmyyyy.mid(2);
}

QString storedPeriod(const QString& shown) {
    return shown.right(4) + shown.left(2);
}

QString shownDate(const QVariant& stored) {
    const QVariant v = dateFromStored(stored);
    const QDate d = v.typeId() == QMetaType::QDateTime ? v.toDateTime().date() : v.toDate();
    return d.isValid() ? d.toString(QStringLiteral("dd/MM/yyyy")) : QString();
}

} // namespace ret
