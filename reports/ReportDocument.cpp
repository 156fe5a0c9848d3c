#include "ReportDocument.h"

#include "Cp1252.h"

#include <QFile>

#include <algorithm>

namespace ret {
namespace {

// Page indexes are 16-bit in the format; a larger one is taken as the last possible page.
constexpr int kLastPageIndex = 32767;

// One line of the file without its line end.
QString readLine(QFile& file) {
    QByteArray bytes = file.readLine();
    while (bytes.endsWith('\n') || bytes.endsWith('\r'))
        bytes.chop(1);
    return cp1252::decode(bytes);
}

} // namespace

QString reportFilePath(const QString& directory, const QString& fileName) {
    if (directory.isEmpty())
        return fileName;
    if (directory.endsWith(QLatin1Char('/')) || directory.endsWith(QLatin1Char('\\')))
        return directory + fileName;
    return directory + QLatin1Char('/') + fileName;
}

PaperColor PaperColor::fromValue(std::int32_t value) {
    PaperColor c;
    const auto bits = std::uint32_t(value);
    if (bits & 0x80000000u) {
        c.system = true;
        c.systemIndex = int(bits & 0xFFu);
        return c;
    }
    c.red = int(bits & 0xFFu);
    c.green = int((bits >> 8) & 0xFFu);
    c.blue = int((bits >> 16) & 0xFFu);
    return c;
}

bool ReportDocument::open(const QString& path) {
    path_ = path;
    font_.clear();
    orientation_.clear();
    declaredPages_ = 0;
    paper_ = PaperColor::lightCyan();
    offsets_.assign(1, 0);

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    int current = 0;
    // Where the next page starts: right after the first break that follows the current page's
    // items; -1 until such a break is read (a page may also begin without one).
    qint64 nextStart = -1;
    while (!file.atEnd()) {
        const qint64 at = file.pos();
        const PsLine line = readPrintScriptLine(readLine(file));
        if (const auto* tag = std::get_if<PsTag>(&line)) {
            if (tag->name == QLatin1String("font"))
                font_ = tag->value;
            else if (tag->name == QLatin1String("Orientacion"))
                orientation_ = tag->value;
            else if (tag->name == QLatin1String("nHojas"))
                declaredPages_ = tag->value.trimmed().toInt();
            else if (tag->name == QLatin1String("Color")) {
                if (const auto v = colorValue(tag->value))
                    paper_ = PaperColor::fromValue(*v);
            }
        } else if (std::holds_alternative<PsPageBreak>(line)) {
            if (nextStart < 0)
                nextStart = file.pos();
        } else if (const auto* item = std::get_if<PsItem>(&line)) {
            const int page = std::min(item->page, kLastPageIndex);
            if (page > current) {
                // pages whose index was skipped get no lines of their own
                const qint64 start = nextStart >= 0 ? nextStart : at;
                offsets_.insert(offsets_.end(), size_t(page - current), start);
                current = page;
            }
            nextStart = -1;
        }
    }
    return true;
}

std::vector<PsItem> ReportDocument::items(int page) const {
    std::vector<PsItem> found;
    if (page < 0 || page >= pageCount())
        return found;
    QFile file(path_);
    if (!file.open(QIODevice::ReadOnly) || !file.seek(offsets_[size_t(page)]))
        return found;
    const qint64 end = page + 1 < pageCount() ? offsets_[size_t(page) + 1] : file.size();
    while (file.pos() < end && !file.atEnd()) {
        PsLine line = readPrintScriptLine(readLine(file));
        if (auto* item = std::get_if<PsItem>(&line); item && item->page == page)
            found.push_back(std::move(*item));
    }
    return found;
}

void ReportDocument::print(const RangoPaginas& range, PrintSink& sink) const {
    QFile file(path_);
    if (!file.open(QIODevice::ReadOnly))
        return;
    int lastItemPage = -1; // none read yet: page number 0, outside any range
    int pendingBreaks = 0;
    while (!file.atEnd()) {
        const PsLine line = readPrintScriptLine(readLine(file));
        if (std::holds_alternative<PsPageBreak>(line)) {
            if (range.covers(lastItemPage))
                ++pendingBreaks;
        } else if (const auto* item = std::get_if<PsItem>(&line)) {
            lastItemPage = item->page;
            if (!range.covers(item->page))
                continue;
            for (; pendingBreaks > 0; --pendingBreaks)
                sink.newPage();
            sink.item(*item);
        }
    }
}

ViewedPages::ViewedPages(const ReportDocument& document, const RangoPaginas& range) {
    if (!range.bRango) {
        first_ = 0;
        count_ = document.pageCount();
        return;
    }
    const int first = std::max(range.nDesde, 1) - 1;
    const int last = std::min(range.nHasta, document.pageCount()) - 1;
    if (last < first) {
        first_ = -1;
        count_ = 1;
        return;
    }
    first_ = first;
    count_ = last - first + 1;
}

} // namespace ret
