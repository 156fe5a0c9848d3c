#pragma once

#include <QString>

class QAbstractItemModel;
class QTableView;
class QWidget;

namespace ret {

// Places `window` centred over the main window (nothing when there is none).
void CentraFormulario(const QWidget* main, QWidget& window);

// Sizes a window given in twips.
void setSizeTwips(QWidget& window, int widthTwips, int heightTwips);

// A read-only list grid over `model`: whole rows chosen one at a time, no row numbers, the last
// column stretched to the grid's width.
QTableView* newListGrid(QWidget* parent, const QString& name, QAbstractItemModel& model);

// Entry fields that treat Enter as Tab call this with "TAB": the focus moves to the next field.
void PasaFoco(const QString& key);

} // namespace ret
