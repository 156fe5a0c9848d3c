#pragma once

#include "common/PrintScript.h"

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
    void setFont(bool bold, int points);
    void text(int x, int y, const QString& text);

    QPainter& p_;
};

} // namespace ret
