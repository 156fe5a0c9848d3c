#include "FormHelpers.h"

#include "WindowPlacement.h"

#include <QApplication>
#include <QKeyEvent>
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
