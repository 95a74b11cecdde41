// Layout in twips (1/1440 inch, 15 to a pixel at 96 dpi), scaled to the screen's
// logical resolution so the windows keep their proportions on a HiDPI screen.
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

namespace ym::ui {

// Pixels per twip on the primary screen (1/15 at 96 dpi); tests may fix it.
double PixelsPerTwip();
void SetPixelsPerTwipForTesting(double pixelsPerTwip);

int Twips(double twips);
QRect TwipsRect(double left, double top, double width, double height);
QSize TwipsSize(double width, double height);
QPoint TwipsPoint(double x, double y);

} // namespace ym::ui
