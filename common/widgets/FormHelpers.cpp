#include "common/widgets/FormHelpers.h"

#include "common/WindowPlacement.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QWidget>

#include <algorithm>

namespace ret {
namespace {

constexpr int kListPointSize = 8;

// The room a grid cell leaves for its text: the style's margin on either side.
int textMargins(const QWidget* grid) {
    const QStyle* style = grid != nullptr ? grid->style() : QApplication::style();
    return 2 * (style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, grid) + 1);
}

// The width the rows shown in a grid's column need.
int rowsWidth(const QAbstractItemView& grid, int column) {
    return grid.sizeHintForColumn(column);
}

// Draws the texts of a name column shortened after a whole word.
class WordShortening final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        if (option->rect.width() <= 0)
            return; // measuring, not drawing
        // the room the style leaves the text, less the margins it draws it within
        const QStyle* style =
            option->widget != nullptr ? option->widget->style() : QApplication::style();
        const QRect room =
            style->subElementRect(QStyle::SE_ItemViewItemText, option, option->widget);
        option->text = shortenAtBlank(option->text, option->fontMetrics,
                                      room.width() - textMargins(option->widget));
    }
};

// Gives a grid's name column what its width leaves after the columns that must be read
// without scrolling, whenever that width changes.
class FlexibleColumn final : public QObject {
public:
    FlexibleColumn(QTableView& grid, int column, int lastReadable)
        : QObject(&grid), grid_(grid), column_(column), lastReadable_(lastReadable) {
        grid.viewport()->installEventFilter(this);
        fit();
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Resize)
            fit();
        return false;
    }

private:
    void fit() {
        QHeaderView* header = grid_.horizontalHeader();
        int others = 0;
        for (int c = 0; c <= lastReadable_; ++c) {
            if (c != column_ && !grid_.isColumnHidden(c))
                others += header->sectionSize(c);
        }
        header->resizeSection(column_, std::max(header->sectionSizeHint(column_),
                                                grid_.viewport()->width() - others));
    }

    QTableView& grid_;
    const int column_;
    const int lastReadable_;
};

// Enter on a focused push button presses it; the focus stays drawn whatever moved it.
class ButtonKeys final : public QObject {
public:
    explicit ButtonKeys(QWidget& window) : QObject(&window), window_(&window) {
        window.setAttribute(Qt::WA_KeyboardFocusChange);
        window.installEventFilter(this);
        connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
            // a click or a field's Enter moves the focus too; it stays visible all the same
            if (now != nullptr && window_ != nullptr && now->window() == window_)
                window_->setAttribute(Qt::WA_KeyboardFocusChange);
        });
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != window_ || event->type() != QEvent::KeyPress)
            return false;
        const auto* key = static_cast<const QKeyEvent*>(event);
        if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)
            return false;
        if ((key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
            return false;
        // a button that takes Enter itself (a default one) never lets the key reach here
        auto* button = qobject_cast<QPushButton*>(QApplication::focusWidget());
        if (button == nullptr || button->window() != window_ || !button->isVisible() ||
            !button->isEnabled())
            return false;
        button->click();
        return true;
    }

private:
    QPointer<QWidget> window_;
};

} // namespace

void CentraFormulario(const QWidget* main, QWidget& window) {
    if (main == nullptr)
        return;
    window.move(CentraFormulario(main->frameGeometry(), window.frameGeometry().size()));
}

void setSizeTwips(QWidget& window, int widthTwips, int heightTwips) {
    window.resize(twipsToPixels(widthTwips, heightTwips));
}

QTableView* newListGrid(QWidget* parent, const QString& name, QAbstractItemModel& model) {
    auto* grid = new QTableView(parent);
    grid->setObjectName(name);
    grid->setModel(&model);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->verticalHeader()->hide();
    grid->horizontalHeader()->setStretchLastSection(true);
    grid->setTabKeyNavigation(false); // Tab moves on to the buttons, not along the row
    // the lists' windows were laid out for the old system's 8-point font: in it their columns
    // fit the windows' widths
    QFont font = grid->font();
    font.setPointSize(kListPointSize);
    grid->setFont(font);
    grid->horizontalHeader()->setFont(font);
    return grid;
}

int columnWidthFor(const QTableView& grid, int column, const QString& text) {
    const int heading = grid.horizontalHeader()->sectionSizeHint(column);
    // measured as the grid's cells measure themselves, margins and all
    QStyleOptionViewItem cell;
    cell.initFrom(&grid);
    cell.font = grid.font();
    cell.fontMetrics = grid.fontMetrics();
    cell.features = QStyleOptionViewItem::HasDisplay;
    cell.text = text;
    const int width =
        grid.style()->sizeFromContents(QStyle::CT_ItemViewItem, &cell, QSize(), &grid).width();
    return std::max(heading, width + (grid.showGrid() ? 1 : 0));
}

int fitColumns(QTableView& grid, int flexible, const WidestTexts& widest, int lastReadable) {
    QHeaderView* header = grid.horizontalHeader();
    // a chosen row would draw every heading bold and wider than it was measured
    header->setHighlightSections(false);
    header->setStretchLastSection(false);
    grid.setWordWrap(false);
    const int columns = grid.model() != nullptr ? grid.model()->columnCount() : 0;
    // a column hidden while the last one stretched keeps its room until the next layout;
    // hidden again now, it takes none
    for (int c = 0; c < columns; ++c) {
        if (header->isSectionHidden(c)) {
            header->showSection(c);
            header->hideSection(c);
        }
    }
    if (lastReadable < 0 || lastReadable >= columns)
        lastReadable = columns - 1;
    int needed = header->sectionSizeHint(flexible);
    for (int c = 0; c < columns; ++c) {
        if (grid.isColumnHidden(c) || c == flexible)
            continue;
        const auto found = widest.find(c);
        const int width = found != widest.end()
                              ? columnWidthFor(grid, c, found->second)
                              : std::max(header->sectionSizeHint(c), rowsWidth(grid, c));
        header->resizeSection(c, width);
        if (c <= lastReadable)
            needed += width;
    }
    new FlexibleColumn(grid, flexible, lastReadable);
    grid.setItemDelegateForColumn(flexible, new WordShortening(&grid));
    return needed + 2 * grid.frameWidth() +
           grid.style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, &grid);
}

QString shortenAtBlank(const QString& text, const QFontMetrics& metrics, int width) {
    if (metrics.horizontalAdvance(text) <= width)
        return text;
    const QString ellipsis(QChar(0x2026));
    for (qsizetype blank = text.lastIndexOf(QLatin1Char(' ')); blank > 0;
         blank = text.lastIndexOf(QLatin1Char(' '), blank - 1)) {
        const QString shortened = text.left(blank).trimmed() + ellipsis;
        if (!text.left(blank).trimmed().isEmpty() && metrics.horizontalAdvance(shortened) <= width)
            return shortened;
    }
    return metrics.elidedText(text, Qt::ElideRight, width);
}

QPlainTextEdit* newFixedText(QWidget* parent, const QString& name, const QString& text) {
    auto* view = new QPlainTextEdit(parent);
    view->setReadOnly(true);
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::Monospace);
    view->setFont(font);
    view->setObjectName(name);
    view->setPlainText(text);
    return view;
}

void workButtonsFromKeyboard(QWidget& window) {
    new ButtonKeys(window);
}

void PasaFoco(const QString& key) {
    if (key != QLatin1String("TAB"))
        return;
    QWidget* focused = QApplication::focusWidget();
    if (focused == nullptr)
        return;
    QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
    QApplication::sendEvent(focused, &tab);
}

} // namespace ret
