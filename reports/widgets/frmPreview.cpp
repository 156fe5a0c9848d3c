#include "reports/widgets/frmPreview.h"

#include "common/FieldRules.h"
#include "common/Messages.h"
#include "common/Session.h"
#include "common/widgets/FormHelpers.h"
#include "common/widgets/HelpKey.h"
#include "reports/widgets/ReportPainter.h"
#include "reports/widgets/ReportPrinting.h"

#include <QAction>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QPageSize>
#include <QPainter>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStyle>
#include <QToolBar>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <exception>

namespace ret {

// One page of the report, painted from the items of the page on screen when it is drawn.
class PreviewCanvas : public QWidget {
public:
    PreviewCanvas(const std::vector<PsItem>& items, QWidget* parent)
        : QWidget(parent), items_(items) {}

    void setPage(QSizeF twips, const QColor& paper) {
        paper_ = paper;
        resize(int(twips.width() * scale() + 0.5), int(twips.height() * scale() + 0.5));
        update();
    }
    // Screen pixels per twip.
    qreal scale() const { return logicalDpiX() / 1440.0; }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), paper_);
        painter.setRenderHint(QPainter::TextAntialiasing);
        painter.scale(scale(), scale());
        ReportPainter(painter).draw(items_);
    }

private:
    const std::vector<PsItem>& items_;
    QColor paper_;
};

namespace {

constexpr int kCanvasMargin = 8; // pixels of background around the page

// The page the canvases stand for: A4, the largest landscape page in use fits (16838 twips).
QSizeF pageTwips(bool landscape) {
    const QSize points = QPageSize(QPageSize::A4).sizePoints();
    const QSizeF portrait(points.width() * 20.0, points.height() * 20.0);
    return landscape ? portrait.transposed() : portrait;
}

} // namespace

frmPreview::frmPreview(Session& session, const QString& sRut, const RangoPaginas& range,
                       QWidget* parent)
    : QDialog(parent), session_(session), sRut_(sRut), range_(range) {
    setWindowTitle(QString::fromUtf8(kCaption));
    workButtonsFromKeyboard(*this);
    helpTopic_ = session.SentMode ? 1015 : 1016;
    // opened by the print window and the report commands, not by the window opener
    setHelpTopic(this, helpTopic_);
    if (session.windows)
        bindHelpKey(this, *session.windows);
    paper_ = colorOf(PaperColor::lightCyan());

    tlbPrevia_ = new QToolBar(this);
    tlbPrevia_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    tlbPrevia_->addSeparator();
    auto addButton = [this](const QString& caption, QStyle::StandardPixmap icon,
                            const QKeySequence& key, auto slot) {
        QAction* a = tlbPrevia_->addAction(style()->standardIcon(icon), caption);
        a->setToolTip(caption);
        a->setShortcut(key);
        connect(a, &QAction::triggered, this, slot);
        return a;
    };
    addButton(QStringLiteral("Pag Anterior"), QStyle::SP_ArrowLeft,
              QKeySequence::MoveToPreviousPage, [this] { pMostrar(-2); });
    addButton(QStringLiteral("Pag Sgt"), QStyle::SP_ArrowRight, QKeySequence::MoveToNextPage,
              [this] { pMostrar(-1); });
    addButton(QStringLiteral("Imprimir"), QStyle::SP_DialogApplyButton, QKeySequence::Print,
              [this] { print(); });
    addButton(QStringLiteral("Salir"), QStyle::SP_DialogCloseButton, QKeySequence(),
              [this] { close(); });
    tlbPrevia_->addSeparator();
    addButton(QStringLiteral("Primera Pag"), QStyle::SP_MediaSkipBackward,
              QKeySequence(Qt::CTRL | Qt::Key_Home), [this] { pMostrar(0); });
    addButton(QStringLiteral("Ultima Pag"), QStyle::SP_MediaSkipForward,
              QKeySequence(Qt::CTRL | Qt::Key_End), [this] { showLastPage(); });
    pageLabel_ = new QLabel(tlbPrevia_);
    pageLabel_->setContentsMargins(8, 0, 8, 0);
    tlbPrevia_->addWidget(pageLabel_);
    addButton(QStringLiteral("Guardar como PDF..."), QStyle::SP_DialogSaveButton, QKeySequence(),
              [this] { chooseAndSavePdf(); });

    picFondo_ = new QWidget(this);
    picFondo_->setAutoFillBackground(true);
    QPalette background = picFondo_->palette();
    background.setColor(QPalette::Window, QColor(0x80, 0x80, 0x80));
    picFondo_->setPalette(background);
    picFondo_->setMinimumSize(200, 200);
    picFondo_->installEventFilter(this);
    picPrevia_ = new PreviewCanvas(shownItems_, picFondo_);
    picPrevia_->installEventFilter(this);

    for (int i = 0; i < 2; ++i) {
        vsbPic_[size_t(i)] = new QScrollBar(Qt::Vertical, this);
        connect(vsbPic_[size_t(i)], &QScrollBar::valueChanged, this,
                [this, i](int value) { vsbPicChange(i, value); });
    }
    hScroll1_ = new QScrollBar(Qt::Horizontal, this);
    connect(hScroll1_, &QScrollBar::valueChanged, this, [this](int v) { hScroll1Change(v); });

    auto* area = new QGridLayout;
    area->setSpacing(0);
    area->addWidget(vsbPic_[0], 0, 0);
    area->addWidget(picFondo_, 0, 1);
    area->addWidget(vsbPic_[1], 0, 2);
    area->addWidget(hScroll1_, 1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(tlbPrevia_);
    layout->addLayout(area, 1);
    resize(900, 700);

    sObject_ = QStringLiteral("PresPrevia");
    pDesencripta();
    pMostrar(0);
}

frmPreview::~frmPreview() = default;

QAction* frmPreview::action(const QString& caption) const {
    for (QAction* a : tlbPrevia_->actions())
        if (a->text() == caption)
            return a;
    return nullptr;
}

QWidget* frmPreview::canvas() const {
    return picPrevia_;
}

QColor frmPreview::colorOf(const PaperColor& paper) const {
    if (!paper.system)
        return QColor(paper.red, paper.green, paper.blue);
    // the system colours a report may name, by their index
    switch (paper.systemIndex) {
    case 15:
        return palette().color(QPalette::Button);
    case 4:
        return palette().color(QPalette::Window);
    default: // 5, the window background, and any other
        return palette().color(QPalette::Base);
    }
}

void frmPreview::pDesencripta() {
    HeadlessMessages fallback;
    MessageSink& messages = session_.messages ? *session_.messages : fallback;
    try {
        path_ = reportFilePath(session_.config.reportDirectory, sRut_);
        const FieldRules localRules(messages);
        const FieldRules& rules = session_.rules ? *session_.rules : localRules;
        if (!rules.DecipherReportFile(path_) || !document_.open(path_)) {
            messages.inform(MsgIcon::Critical,
                            QStringLiteral("Archivo Físico del Reporte no Existe"),
                            QStringLiteral("Error al Imprimir"));
            pages_ = ViewedPages();
            return;
        }
        pages_ = ViewedPages(document_, range_);
        paper_ = colorOf(document_.paper());
    } catch (const std::exception& e) {
        messages.inform(MsgIcon::Critical,
                        QStringLiteral("Error tecnico: 0\n%1\nIntente nuevamente por favor.")
                            .arg(QString::fromLocal8Bit(e.what())),
                        QStringLiteral("Error"));
        pages_ = ViewedPages();
    }
}

void frmPreview::pMostrar(int nroHoja) {
    if (nroHoja == 0)
        showPage(0);
    else if (nroHoja == -2 && iNroHoja_ > 0)
        showPage(iNroHoja_ - 1);
    else if (nroHoja == -1 && iNroHoja_ + 1 != pageCount())
        showPage(iNroHoja_ + 1);
    // a page always comes up scrolled to its top
    for (QScrollBar* bar : vsbPic_)
        bar->setValue(0);
}

void frmPreview::showLastPage() {
    showPage(pageCount() - 1);
    for (QScrollBar* bar : vsbPic_)
        bar->setValue(0);
}

void frmPreview::showPage(int viewPage) {
    if (viewPage == loadedView_)
        return;
    loadedView_ = viewPage;
    iNroHoja_ = viewPage;
    const int page = pages_.documentPage(viewPage);
    shownItems_ = page < 0 ? std::vector<PsItem>() : document_.items(page);
    ++pagesRead_;
    picPrevia_->setPage(pageTwips(document_.landscape()), paper_);
    picPrevia_->move(kCanvasMargin - hScroll1_->value(), kCanvasMargin);
    pageLabel_->setText(QStringLiteral("Página %1 de %2").arg(viewPage + 1).arg(pageCount()));
    updateScrollRanges();
}

void frmPreview::vsbPicChange(int index, int value) {
    picPrevia_->move(picPrevia_->x(), kCanvasMargin - value);
    const QSignalBlocker block(vsbPic_[size_t(1 - index)]);
    vsbPic_[size_t(1 - index)]->setValue(value);
}

void frmPreview::hScroll1Change(int value) {
    picPrevia_->move(kCanvasMargin - value, picPrevia_->y());
}

void frmPreview::updateScrollRanges() {
    const int height = picPrevia_->height() + 2 * kCanvasMargin;
    const int width = picPrevia_->width() + 2 * kCanvasMargin;
    const int step = qMax(1, int(ReportPainter::kVerticalStep * picPrevia_->scale()));
    for (QScrollBar* bar : vsbPic_) {
        bar->setRange(0, qMax(0, height - picFondo_->height()));
        bar->setPageStep(qMax(1, picFondo_->height()));
        bar->setSingleStep(step);
    }
    hScroll1_->setRange(0, qMax(0, width - picFondo_->width()));
    hScroll1_->setPageStep(qMax(1, picFondo_->width()));
    hScroll1_->setSingleStep(step);
}

bool frmPreview::eventFilter(QObject* watched, QEvent* event) {
    if (watched == picFondo_ && event->type() == QEvent::Resize)
        updateScrollRanges();
    if (event->type() == QEvent::Wheel) {
        // the wheel scrolls the page as the vertical bars do
        const auto* wheel = static_cast<QWheelEvent*>(event);
        QScrollBar* bar = vsbPic_[1];
        bar->setValue(bar->value() - wheel->angleDelta().y() / 120 * 3 * bar->singleStep());
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void frmPreview::print() {
    iTamLetra_ = 8;
    sObject_ = QStringLiteral("IMPRIMIR");
    HeadlessMessages fallback;
    MessageSink& messages = session_.messages ? *session_.messages : fallback;
    const FieldRules localRules(messages);
    printReportFile(path_, range_, session_.rules ? *session_.rules : localRules, messages);
}

bool frmPreview::saveAsPdf(const QString& pdfPath) {
    QString error;
    if (saveReportAsPdf(path_, range_, pdfPath, &error))
        return true;
    HeadlessMessages fallback;
    MessageSink& messages = session_.messages ? *session_.messages : fallback;
    messages.inform(MsgIcon::Critical, error, QStringLiteral("Guardar como PDF"));
    return false;
}

void frmPreview::chooseAndSavePdf() {
    const QString suggested = QFileInfo(path_).completeBaseName() + QStringLiteral(".pdf");
    QString chosen = QFileDialog::getSaveFileName(this, QStringLiteral("Guardar como PDF"),
                                                  suggested, QStringLiteral("PDF (*.pdf)"));
    if (chosen.isEmpty())
        return;
    if (!chosen.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive))
        chosen += QStringLiteral(".pdf");
    saveAsPdf(chosen);
}

} // namespace ret
