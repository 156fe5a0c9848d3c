#pragma once

#include <QString>

#include <map>

class QAbstractItemModel;
class QFontMetrics;
class QPlainTextEdit;
class QTableView;
class QWidget;

namespace ret {

// Places `window` centred over the main window (nothing when there is none).
void CentraFormulario(const QWidget* main, QWidget& window);

// Sizes a window given in twips.
void setSizeTwips(QWidget& window, int widthTwips, int heightTwips);

// A read-only list grid over `model`: whole rows chosen one at a time, no row numbers, the last
// column stretched to the grid's width, texts in 8 points.
QTableView* newListGrid(QWidget* parent, const QString& name, QAbstractItemModel& model);

// A read-only text in the reports' fixed-width font (the inconsistencies, a declaration's
// history).
QPlainTextEdit* newFixedText(QWidget* parent, const QString& name, const QString& text);

// The widest amount a detail amount column shows: twelve digits before the point.
inline const QString kWidestAmount = QStringLiteral("999,999,999,999.99");

// The widest text each column of a grid must show whole, by column; a column not named here is
// measured on the rows it shows.
using WidestTexts = std::map<int, QString>;

// Sizes every shown column of `grid` to its heading and its widest text, and gives the column
// `flexible` (the name) what the grid's width leaves after the columns up to `lastReadable`
// (every column when negative), so that those are read without scrolling; the names are
// shortened after a whole word when they do not fit. Columns after `lastReadable` follow, to be
// scrolled to. Returns the width the grid needs for that: a window whose size is free takes it
// as the grid's least width.
int fitColumns(QTableView& grid, int flexible, const WidestTexts& widest = {},
               int lastReadable = -1);

// The width a grid column needs for its heading (one line per line of it) and for `text`.
int columnWidthFor(const QTableView& grid, int column, const QString& text);

// `text` shortened after its last whole word that fits in `width` pixels, followed by "…";
// unchanged when it fits. A first word that does not fit is cut, as nothing else could show.
QString shortenAtBlank(const QString& text, const QFontMetrics& metrics, int width);

// The keyboard works the buttons of `window` as the mouse does: Enter on a focused button
// presses it, and the focus of buttons and option buttons is drawn from the first moment, not
// only after the Tab key has been pressed.
void workButtonsFromKeyboard(QWidget& window);

// Entry fields that treat Enter as Tab call this with "TAB": the focus moves to the next field.
void PasaFoco(const QString& key);

} // namespace ret
