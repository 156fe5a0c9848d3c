#pragma once

#include <QString>

class QWidget;

namespace ret {

// Places `window` centred over the main window (nothing when there is none).
void CentraFormulario(const QWidget* main, QWidget& window);

// Sizes a window given in twips.
void setSizeTwips(QWidget& window, int widthTwips, int heightTwips);

// Entry fields that treat Enter as Tab call this with "TAB": the focus moves to the next field.
void PasaFoco(const QString& key);

} // namespace ret
