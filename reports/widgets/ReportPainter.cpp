#include "reports/widgets/ReportPainter.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPen>

#include <algorithm>

namespace ret {

QString reportFontFamily() {
    // where the report font is missing, its metric twin stands in (fontconfig usually says so
    // itself; the substitution covers a system where it does not)
    static const bool substituted = [] {
        QFont::insertSubstitution(QStringLiteral("Courier New"), QStringLiteral("Liberation Mono"));
        return true;
    }();
    (void)substituted;
    return QStringLiteral("Courier New");
}

void PainterCanvas::setFont(bool bold, int points) {
    const std::pair key{bold, std::max(1, points)};
    auto found = fonts_.find(key);
    if (found == fonts_.end()) {
        // Sizes go in twips (20 to the point) so that they follow the painter's scale on any
        // device.
        QFont font(reportFontFamily());
        font.setStyleHint(QFont::TypeWriter);
        font.setPixelSize(key.second * 20);
        font.setBold(bold);
        const double ascent = QFontMetricsF(font, p_.device()).ascent();
        found = fonts_.emplace(key, FontUse{font, ascent}).first;
    }
    if (current_ != &found->second) {
        current_ = &found->second;
        p_.setFont(current_->font);
    }
}

void PainterCanvas::usePen(Pen pen) {
    if (pen_ == pen)
        return;
    pen_ = pen;
    if (pen == Pen::Text) {
        p_.setPen(Qt::black);
        return;
    }
    // pen width 1: one device dot, on the screen as on paper
    QPen thin(Qt::black);
    thin.setWidth(1);
    thin.setCosmetic(true);
    p_.setPen(thin);
}

void PainterCanvas::text(double x, double y, const QString& text) {
    usePen(Pen::Text);
    p_.drawText(QPointF(x, y), text);
}

void PainterCanvas::line(int x1, int y1, int x2, int y2) {
    usePen(Pen::Line);
    p_.drawLine(x1, y1, x2, y2);
}

void ReportPainter::text(int x, int y, const QString& text) {
    if (text.isEmpty())
        return;
    // the item's position is the top-left corner of the text, not its baseline
    canvas_.text(x, y + canvas_.ascent(), text);
}

void ReportPainter::draw(const PsItem& item) {
    switch (item.kind) {
    case PsItem::Kind::Text:
        canvas_.setFont(item.bold, item.size);
        text(item.x, item.y, item.text);
        break;
    case PsItem::Kind::VerticalText:
        canvas_.setFont(item.bold, item.size);
        for (qsizetype i = 0; i < item.text.size(); ++i)
            text(item.x, item.y + int(i) * kVerticalStep, item.text.mid(i, 1));
        break;
    case PsItem::Kind::Box:
        canvas_.line(item.x, item.y, item.x, item.y2);
        canvas_.line(item.x2, item.y, item.x2, item.y2);
        canvas_.line(item.x, item.y, item.x2, item.y);
        canvas_.line(item.x, item.y2, item.x2, item.y2);
        break;
    }
}

} // namespace ret
