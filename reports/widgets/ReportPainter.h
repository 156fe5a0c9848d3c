#pragma once

#include "common/PrintScript.h"

#include <QFont>

#include <map>
#include <memory>
#include <utility>
#include <vector>

class QPainter;

namespace ret {

// What report items are drawn on, in twips from the page's top-left corner: the screen's or the
// printer's painter, or a PDF file.
class ReportCanvas {
public:
    virtual ~ReportCanvas() = default;
    // The report font, bold or not, at a size in points, for the texts that follow.
    virtual void setFont(bool bold, int points) = 0;
    // The height from the top of a text in the current font to its baseline.
    virtual double ascent() const = 0;
    // A text in the current font whose baseline starts at (x, y).
    virtual void text(double x, double y, const QString& text) = 0;
    // A line one device dot wide.
    virtual void line(int x1, int y1, int x2, int y2) = 0;
};

// A canvas on a painter whose coordinates are twips (the viewer scales its painter, the printer
// runs at 1440 dpi), so the screen shows what the paper gets.
class PainterCanvas final : public ReportCanvas {
public:
    explicit PainterCanvas(QPainter& painter) : p_(painter) {}

    void setFont(bool bold, int points) override;
    double ascent() const override { return current_->ascent; }
    void text(double x, double y, const QString& text) override;
    void line(int x1, int y1, int x2, int y2) override;

private:
    struct FontUse {
        QFont font;
        double ascent = 0;
    };
    enum class Pen { None, Text, Line };
    void usePen(Pen pen);

    QPainter& p_;
    // A page draws thousands of texts in a few fonts: each is made and measured once, and the
    // painter is told of a font or pen only when it changes.
    std::map<std::pair<bool, int>, FontUse> fonts_;
    const FontUse* current_ = nullptr;
    Pen pen_ = Pen::None;
};

// The report font: "Courier New", or where it is missing its metric twin.
QString reportFontFamily();

// Draws report items on a canvas, the same way on every one of them.
class ReportPainter {
public:
    explicit ReportPainter(ReportCanvas& canvas) : canvas_(canvas) {}
    // On a painter whose coordinates are twips.
    explicit ReportPainter(QPainter& painter)
        : owned_(std::make_unique<PainterCanvas>(painter)), canvas_(*owned_) {}

    void draw(const PsItem& item);
    void draw(const std::vector<PsItem>& items) {
        for (const PsItem& item : items)
            draw(item);
    }

    // Vertical text puts one character under the other, this far apart.
    static constexpr int kVerticalStep = 190;

private:
    void text(int x, int y, const QString& text);

    std::unique_ptr<ReportCanvas> owned_;
    ReportCanvas& canvas_;
};

} // namespace ret
