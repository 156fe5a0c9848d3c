#pragma once

#include "common/PrintScript.h"

#include <QString>
#include <QtGlobal>

#include <cstdint>
#include <optional>
#include <vector>

namespace ret {

// The page range of a preview and of its print button: page numbers from 1, both ends included.
struct RangoPaginas {
    bool bRango = false;
    int nDesde = 1;
    int nHasta = 1;

    // Whether the page of a 0-based index is covered (every page when no range is in force).
    bool covers(int pageIndex) const {
        return !bRango || (pageIndex + 1 >= nDesde && pageIndex + 1 <= nHasta);
    }
};

// The report directory joined to a report file name, whichever separator the directory ends in.
QString reportFilePath(const QString& directory, const QString& fileName);

// The paper colour of a colour tag: an explicit RGB colour or a system colour index.
struct PaperColor {
    bool system = false;
    int systemIndex = 0; // 5 is the window background
    int red = 0, green = 0, blue = 0;

    static PaperColor lightCyan() { return fromValue(0x00FFFFC0); }
    static PaperColor fromValue(std::int32_t value);
    bool operator==(const PaperColor&) const = default;
};

// What the printer receives from a report file, in order.
class PrintSink {
public:
    virtual ~PrintSink() = default;
    virtual void newPage() = 0;
    virtual void item(const PsItem& item) = 0;
};

// A PrintScript report file, indexed once: its header tags and where each page's lines start.
// Only the offsets are kept; a page's items are read again from the file when asked for, so a
// report of thousands of pages is held in flat memory.
class ReportDocument {
public:
    // Reads and indexes the file; false when it cannot be read.
    bool open(const QString& path);

    const QString& path() const { return path_; }
    const QString& font() const { return font_; }
    const QString& orientation() const { return orientation_; }
    bool landscape() const {
        return orientation_.trimmed().compare(QLatin1String("H"), Qt::CaseInsensitive) == 0;
    }
    // The page count the writer announced (0 when the tag is missing); readers do not rely on it.
    int declaredPages() const { return declaredPages_; }
    // The paper colour of the screen pages: light cyan unless the colour tag gives another.
    PaperColor paper() const { return paper_; }

    // Pages found: one per page index the items reach (at least one, even for an empty file).
    int pageCount() const { return int(offsets_.size()); }
    // Byte offset of the first line of a page (0-based index).
    qint64 pageOffset(int page) const { return offsets_.at(size_t(page)); }
    // The items of one page (0-based index), read from the file; empty outside the pages.
    std::vector<PsItem> items(int page) const;

    // Replays the file for a printer under a page range: every item whose page is covered, and
    // every page break after an item of a covered page. A break is handed on only when a
    // printed item follows it, so no blank page ends the job.
    void print(const RangoPaginas& range, PrintSink& sink) const;

private:
    void readTag(const PsTag& tag);

    QString path_;
    QString font_;
    QString orientation_;
    int declaredPages_ = 0;
    PaperColor paper_ = PaperColor::lightCyan();
    std::vector<qint64> offsets_;
};

// The pages a viewer shows: every page, or those of the range in force (in order). A range that
// covers none of the report's pages still shows one empty page.
class ViewedPages {
public:
    ViewedPages() = default; // the empty page alone
    ViewedPages(const ReportDocument& document, const RangoPaginas& range);
    int count() const { return count_; }
    // The document page (0-based) shown as view page `i`; -1 for the empty page.
    int documentPage(int i) const { return first_ < 0 ? -1 : first_ + i; }

private:
    int first_ = -1;
    int count_ = 1;
};

} // namespace ret
