#pragma once

#include "common/PrintScript.h"
#include "reports/ReportDocument.h"

#include <QColor>
#include <QDialog>

#include <array>
#include <vector>

class QAction;
class QLabel;
class QScrollBar;
class QToolBar;

namespace ret {

struct Session;
class PreviewCanvas;

// The report viewer "Presentación Preliminar": shows a report file of the report directory one
// page at a time, drawing only the page on screen, and prints or saves it as PDF with the range
// it was opened with.
class frmPreview : public QDialog {
    Q_OBJECT
public:
    static constexpr const char* kCaption = "Presentación Preliminar";

    frmPreview(Session& session, const QString& sRut, const RangoPaginas& range = {},
               QWidget* parent = nullptr);
    ~frmPreview() override;

    // 0 the first page, -2 the previous one, -1 the next one.
    void pMostrar(int nroHoja);
    void showLastPage();

    int pageCount() const { return pages_.count(); }
    int iNroHoja() const { return iNroHoja_; }
    // The report page (0-based) on screen; -1 for the empty page.
    int shownReportPage() const { return pages_.documentPage(iNroHoja_); }
    const std::vector<PsItem>& shownItems() const { return shownItems_; }
    // Pages read from the file since the window opened: one per page shown.
    int pagesRead() const { return pagesRead_; }
    QColor paperColor() const { return paper_; }
    int helpTopic() const { return helpTopic_; }
    const QString& sObject() const { return sObject_; }

    QAction* action(const QString& caption) const;
    QScrollBar* verticalBar(int index) const { return vsbPic_.at(size_t(index)); }
    QScrollBar* horizontalBar() const { return hScroll1_; }
    QWidget* canvas() const;
    QLabel* pageLabel() const { return pageLabel_; }

    // Prints the report with the range in force.
    void print();
    // Writes the report (or the range) to a PDF file; shows why when it cannot.
    bool saveAsPdf(const QString& pdfPath);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void pDesencripta();
    void showPage(int viewPage);
    void vsbPicChange(int index, int value);
    void hScroll1Change(int value);
    void updateScrollRanges();
    void chooseAndSavePdf();
    QColor colorOf(const PaperColor& paper) const;

    Session& session_;
    QString sRut_;
    QString path_;
    RangoPaginas range_;
    ReportDocument document_;
    ViewedPages pages_;
    int iNroHoja_ = 0;
    int loadedView_ = -1; // the page whose items are held
    int iTamLetra_ = 0;
    int pagesRead_ = 0;
    int helpTopic_ = 0;
    QString sObject_;
    QColor paper_;
    std::vector<PsItem> shownItems_;

    QToolBar* tlbPrevia_ = nullptr;
    QWidget* picFondo_ = nullptr;
    PreviewCanvas* picPrevia_ = nullptr;
    std::array<QScrollBar*, 2> vsbPic_{};
    QScrollBar* hScroll1_ = nullptr;
    QLabel* pageLabel_ = nullptr;
};

} // namespace ret
