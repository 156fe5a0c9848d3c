#include "reports/widgets/PdfFile.h"

#include <QIODevice>
#include <QPageSize>
#include <QSizeF>

#include <cairo-pdf.h>
#include <cairo.h>

#include <algorithm>

namespace ret {
namespace {

// The report's coordinates are twips, 20 to the point, the PDF's unit.
constexpr double kTwipsPerPoint = 20;

// A4 in whole points, as the printer's PDF has it.
QSizeF a4(bool landscape) {
    const QSizeF portrait = QPageSize(QPageSize::A4).size(QPageSize::Point);
    return landscape ? portrait.transposed() : portrait;
}

cairo_status_t writeOut(void* closure, const unsigned char* data, unsigned int length) {
    auto& out = *static_cast<PdfOutput*>(closure);
    if (out.failed ||
        out.device.write(reinterpret_cast<const char*>(data), qint64(length)) != qint64(length)) {
        out.failed = true;
        return CAIRO_STATUS_WRITE_ERROR;
    }
    return CAIRO_STATUS_SUCCESS;
}

} // namespace

PdfFile::PdfFile(QIODevice& out, bool landscape) : out_{out} {
    const QSizeF page = a4(landscape);
    surface_ = cairo_pdf_surface_create_for_stream(&writeOut, &out_, page.width(), page.height());
    cr_ = cairo_create(surface_);
    cairo_scale(cr_, 1 / kTwipsPerPoint, 1 / kTwipsPerPoint);
    cairo_set_source_rgb(cr_, 0, 0, 0);
    // one device dot of a 1,440-dot printer, as the printer's pen draws it
    cairo_set_line_width(cr_, 1);
    for (const bool bold : {false, true})
        faces_[bold] = cairo_toy_font_face_create(
            reportFontFamily().toUtf8().constData(), CAIRO_FONT_SLANT_NORMAL,
            bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
}

PdfFile::~PdfFile() {
    for (cairo_font_face_t* face : faces_)
        cairo_font_face_destroy(face);
    cairo_destroy(cr_);
    cairo_surface_destroy(surface_);
}

void PdfFile::newPage() {
    cairo_show_page(cr_);
}

bool PdfFile::finish() {
    if (!finished_) {
        finished_ = true;
        cairo_surface_finish(surface_);
    }
    return !out_.failed && cairo_status(cr_) == CAIRO_STATUS_SUCCESS &&
           cairo_surface_status(surface_) == CAIRO_STATUS_SUCCESS;
}

void PdfFile::setFont(bool bold, int points) {
    const std::pair key{bold, std::max(1, points)};
    if (key == font_)
        return;
    font_ = key;
    cairo_set_font_face(cr_, faces_[bold]);
    cairo_set_font_size(cr_, key.second * kTwipsPerPoint);
    auto found = ascents_.find(key);
    if (found == ascents_.end()) {
        cairo_font_extents_t extents{};
        cairo_font_extents(cr_, &extents);
        found = ascents_.emplace(key, extents.ascent).first;
    }
    ascent_ = found->second;
}

void PdfFile::text(double x, double y, const QString& text) {
    cairo_move_to(cr_, x, y);
    cairo_show_text(cr_, text.toUtf8().constData());
}

void PdfFile::line(int x1, int y1, int x2, int y2) {
    cairo_move_to(cr_, x1, y1);
    cairo_line_to(cr_, x2, y2);
    cairo_stroke(cr_);
}

} // namespace ret
