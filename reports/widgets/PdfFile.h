#pragma once

#include "reports/widgets/ReportPainter.h"

#include <map>
#include <utility>

class QIODevice;
struct _cairo;
struct _cairo_surface;
struct _cairo_font_face;

namespace ret {

// Where cairo's bytes go, and whether one of them did not.
struct PdfOutput {
    QIODevice& device;
    bool failed = false;
};

// A PDF of A4 pages written with cairo, each page out to the device as soon as it ends, so
// that memory stays flat however many pages there are. Texts stay text, in the report font,
// embedded: they can be selected and searched for.
class PdfFile final : public ReportCanvas {
public:
    PdfFile(QIODevice& out, bool landscape);
    ~PdfFile() override;
    PdfFile(const PdfFile&) = delete;
    PdfFile& operator=(const PdfFile&) = delete;

    // Ends the page in hand and starts the next.
    void newPage();
    // Ends the last page and the file; false when any of it could not be drawn or written.
    bool finish();

    void setFont(bool bold, int points) override;
    double ascent() const override { return ascent_; }
    void text(double x, double y, const QString& text) override;
    void line(int x1, int y1, int x2, int y2) override;

private:
    PdfOutput out_;
    bool finished_ = false;
    _cairo_surface* surface_ = nullptr;
    _cairo* cr_ = nullptr;
    _cairo_font_face* faces_[2] = {nullptr, nullptr}; // regular, bold
    std::map<std::pair<bool, int>, double> ascents_;
    std::pair<bool, int> font_{false, 0};
    double ascent_ = 0;
};

} // namespace ret
