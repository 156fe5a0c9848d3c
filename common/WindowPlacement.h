#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

namespace ret {

// The old window sizes are in twips, at 15 twips per pixel.
constexpr int kTwipsPerPixel = 15;

QSize twipsToPixels(int widthTwips, int heightTwips);

// Where a window of size `window` goes to sit centred over the main window.
QPoint CentraFormulario(const QRect& main, const QSize& window);

} // namespace ret
