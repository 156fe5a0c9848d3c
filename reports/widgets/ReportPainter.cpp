#include "reports/widgets/ReportPainter.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QPen>

#include <algorithm>

namespace ret {

void ReportPainter::setFont(bool bold, int points) {
    // where the report font is missing, its metric twin stands in (fontconfig usually says so
    // itself; the substitution covers a system where it does not)
    static const bool substituted = [] {
        QFont::insertSubstitution(QStringLiteral("Courier New"), QStringLiteral("Liberation Mono"));
        return true;
    }();
    (void)substituted;
    // Sizes go in twips (20 to the point) so that they follow the painter's scale on any device.
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::TypeWriter);
    font.setPixelSize(std::max(1, points) * 20);
    font.setBold(bold);
    p_.setFont(font);
    p_.setPen(Qt::black);
}

void ReportPainter::text(int x, int y, const QString& text) {
    if (text.isEmpty())
        return;
    // the item's position is the top-left corner of the text, not its baseline
    const QFontMetricsF metrics(p_.font(), p_.device());
    p_.drawText(QPointF(x, y + metrics.ascent()), text);
}

void ReportPainter::draw(const PsItem& item) {
    switch (item.kind) {
    case PsItem::Kind::Text:
        setFont(item.bold, item.size);
        text(item.x, item.y, item.text);
        break;
    case PsItem::Kind::VerticalText:
        setFont(item.bold, item.size);
        for (qsizetype i = 0; i < item.text.size(); ++i)
            text(item.x, item.y + int(i) * kVerticalStep, item.text.mid(i, 1));
        break;
    case PsItem::Kind::Box: {
        // pen width 1: one device dot, on the screen as on paper
        QPen pen(Qt::black);
        pen.setWidth(1);
        pen.setCosmetic(true);
        p_.setPen(pen);
        p_.drawLine(item.x, item.y, item.x, item.y2);
        p_.drawLine(item.x2, item.y, item.x2, item.y2);
        p_.drawLine(item.x, item.y, item.x2, item.y);
        p_.drawLine(item.x, item.y2, item.x2, item.y2);
        break;
    }
    }
}

} // namespace ret
