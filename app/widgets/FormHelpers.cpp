#include "FormHelpers.h"

#include "WindowPlacement.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QTableView>
#include <QWidget>

namespace ret {

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
    return grid;
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
