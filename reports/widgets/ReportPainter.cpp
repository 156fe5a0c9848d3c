#include "reports/widgets/ReportPainter.h"

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
    const std::pair key{bold, std::max(1, points)};
    auto found = fonts_.find(key);
    if (found == fonts_.end()) {
        // Sizes go in twips (20 to the point) so that they follow the painter's scale on any
        // device.
        QFont font(QStringLiteral("Courier New"));
        font.setStyleHint(QFont::TypeWriter);
        font.setPixelSize(key.second * 20);
        font.setBold(bold);
        const qreal ascent = QFontMetricsF(font, p_.device()).ascent();
        found = fonts_.emplace(key, FontUse{font, ascent}).first;
    }
    if (current_ != &found->second) {
        current_ = &found->second;
        p_.setFont(current_->font);
    }
    usePen(Pen::Text);
}

void ReportPainter::usePen(Pen pen) {
    if (pen_ == pen)
        return;
    pen_ = pen;
    if (pen == Pen::Text) {
        p_.setPen(Qt::black);
        return;
    }
    // pen width 1: one device dot, on the screen as on paper
    QPen box(Qt::black);
    box.setWidth(1);
    box.setCosmetic(true);
    p_.setPen(box);
}

void ReportPainter::text(int x, int y, const QString& text) {
    if (text.isEmpty())
        return;
    // the item's position is the top-left corner of the text, not its baseline
    p_.drawText(QPointF(x, y + current_->ascent), text);
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
    case PsItem::Kind::Box:
        usePen(Pen::Box);
        p_.drawLine(item.x, item.y, item.x, item.y2);
        p_.drawLine(item.x2, item.y, item.x2, item.y2);
        p_.drawLine(item.x, item.y, item.x2, item.y);
        p_.drawLine(item.x, item.y2, item.x2, item.y2);
        break;
    }
}

} // namespace ret
