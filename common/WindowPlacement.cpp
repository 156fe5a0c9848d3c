#include "common/WindowPlacement.h"

namespace ret {

QSize twipsToPixels(int widthTwips, int heightTwips) {
    return {widthTwips / kTwipsPerPixel, heightTwips / kTwipsPerPixel};
}

QPoint CentraFormulario(const QRect& main, const QSize& window) {
    // the main window normally sits at the screen's corner; its position counts when moved
    return {main.x() + (main.width() - window.width()) / 2,
            main.y() + (main.height() - window.height()) / 2};
}

} // namespace ret
