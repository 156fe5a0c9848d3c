#pragma once

#include "common/PrintScript.h"

#include <QFont>

#include <map>
#include <utility>
#include <vector>

class QPainter;

namespace ret {

// Draws report items on a painter whose coordinates are twips (the viewer scales its painter,
// the printer runs at 1440 dpi), so the screen shows what the paper gets.
class ReportPainter {
public:
    explicit ReportPainter(QPainter& painter) : p_(painter) {}

    void draw(const PsItem& item);
    void draw(const std::vector<PsItem>& items) {
        for (const PsItem& item : items)
            draw(item);
    }

    // Vertical text puts one character under the other, this far apart.
    static constexpr int kVerticalStep = 190;

private:
    // A report font and the height from its top to its baseline on the painter's device.
    struct FontUse {
        QFont font;
        qreal ascent = 0;
    };
    enum class Pen { None, Text, Box };

    void setFont(bool bold, int points);
    void usePen(Pen pen);
    void text(int x, int y, const QString& text);

    QPainter& p_;
    // A page draws thousands of texts in a few fonts: each is made and measured once, and the
    // painter is told of a font or pen only when it changes.
    std::map<std::pair<bool, int>, FontUse> fonts_;
    const FontUse* current_ = nullptr;
    Pen pen_ = Pen::None;
};

} // namespace ret
