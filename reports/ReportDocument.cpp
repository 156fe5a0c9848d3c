#include "reports/ReportDocument.h"

#include "common/Cp1252.h"

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

// The lines of a file read in large blocks: each without its line end, with the offset it
// starts at. Only the block being read is held.
class BlockLines {
public:
    explicit BlockLines(QFile& file) : file_(file) {}

    // The next line; false at the end of the file. The view lasts until the next call.
    bool next(QByteArrayView& line, qint64& at) {
        for (;;) {
            const qsizetype end = buffer_.indexOf('\n', pos_);
            if (end >= 0 || (eof_ && pos_ < buffer_.size())) {
                const qsizetype stop = end >= 0 ? end : buffer_.size();
                at = base_ + pos_;
                line = QByteArrayView(buffer_).sliced(pos_, stop - pos_);
                while (line.endsWith('\r') || line.endsWith('\n'))
                    line.chop(1);
                pos_ = end >= 0 ? end + 1 : buffer_.size();
                return true;
            }
            if (eof_)
                return false;
            base_ += pos_;
            buffer_.remove(0, pos_);
            pos_ = 0;
            const QByteArray more = file_.read(kBlock);
            if (more.isEmpty())
                eof_ = true;
            buffer_ += more;
        }
    }
    // The offset right after the line last read.
    qint64 position() const { return base_ + pos_; }

private:
    static constexpr qint64 kBlock = 1 << 20;
    QFile& file_;
    QByteArray buffer_;
    qsizetype pos_ = 0;
    qint64 base_ = 0;
    bool eof_ = false;
};

// The page index of a text or box item read straight off its bytes, as the full reader would
// read it; nullopt for any other line, which then goes through the full reader. Indexing a
// report touches every line, and nearly all of them are items.
std::optional<int> quickItemPage(QByteArrayView line) {
    int before = 0; // fields ahead of the page index
    qsizetype from = 0;
    if (line.startsWith("pPos|")) {
        before = 5;
        from = 5;
    } else if (line.startsWith("pPosVerti|")) {
        before = 5;
        from = 10;
    } else if (line.startsWith("pCuadro|")) {
        before = 4;
        from = 8;
    } else {
        return std::nullopt;
    }
    for (int i = 0; i < before; ++i) {
        const qsizetype bar = line.indexOf('|', from);
        if (bar < 0)
            return std::nullopt;
        from = bar + 1;
    }
    const qsizetype bar = line.indexOf('|', from);
    const QByteArrayView field = line.sliced(from, (bar < 0 ? line.size() : bar) - from);
    if (field.isEmpty())
        return std::nullopt;
    return readPrintScriptNumber(QString::fromLatin1(field));
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
    BlockLines lines(file);
    int current = 0;
    // Where the next page starts: right after the first break that follows the current page's
    // items; -1 until such a break is read (a page may also begin without one).
    qint64 nextStart = -1;
    QByteArrayView raw;
    qint64 at = 0;
    while (lines.next(raw, at)) {
        std::optional<int> itemPage = quickItemPage(raw);
        if (!itemPage) {
            const PsLine line = readPrintScriptLine(cp1252::decode(raw.toByteArray()));
            if (const auto* tag = std::get_if<PsTag>(&line)) {
                readTag(*tag);
                continue;
            }
            if (std::holds_alternative<PsPageBreak>(line)) {
                if (nextStart < 0)
                    nextStart = lines.position();
                continue;
            }
            const auto* item = std::get_if<PsItem>(&line);
            if (!item)
                continue;
            itemPage = item->page;
        }
        const int page = std::min(*itemPage, kLastPageIndex);
        if (page > current) {
            // pages whose index was skipped get no lines of their own
            const qint64 start = nextStart >= 0 ? nextStart : at;
            offsets_.insert(offsets_.end(), size_t(page - current), start);
            current = page;
        }
        nextStart = -1;
    }
    return true;
}

void ReportDocument::readTag(const PsTag& tag) {
    if (tag.name == QLatin1String("font"))
        font_ = tag.value;
    else if (tag.name == QLatin1String("Orientacion"))
        orientation_ = tag.value;
    else if (tag.name == QLatin1String("nHojas"))
        declaredPages_ = tag.value.trimmed().toInt();
    else if (tag.name == QLatin1String("Color")) {
        if (const auto v = colorValue(tag.value))
            paper_ = PaperColor::fromValue(*v);
    }
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
