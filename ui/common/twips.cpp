#include "twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <cmath>

namespace ym::ui {

namespace {
double g_fixedPixelsPerTwip = 0; // 0: follow the screen
constexpr double kTwipsPerInch = 1440.0;

int ToPixels(double twips) {
    return static_cast<int>(std::lround(twips * PixelsPerTwip()));
}
} // namespace

double PixelsPerTwip() {
    if (g_fixedPixelsPerTwip > 0) {
        return g_fixedPixelsPerTwip;
    }
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const double dpi = screen->logicalDotsPerInch();
        if (dpi > 0) {
            return dpi / kTwipsPerInch;
        }
    }
    return 96.0 / kTwipsPerInch;
}

void SetPixelsPerTwipForTesting(double pixelsPerTwip) {
    g_fixedPixelsPerTwip = pixelsPerTwip;
}

int Twips(double twips) {
    return ToPixels(twips);
}

// Both edges are rounded on their own and the size is their difference, so a control
// that starts where its neighbour ends shares that pixel column instead of leaving a gap.
QRect TwipsRect(double left, double top, double width, double height) {
    const int x0 = ToPixels(left);
    const int y0 = ToPixels(top);
    const int x1 = ToPixels(left + width);
    const int y1 = ToPixels(top + height);
    return QRect(x0, y0, x1 - x0, y1 - y0);
}

QSize TwipsSize(double width, double height) {
    return QSize(ToPixels(width), ToPixels(height));
}

QPoint TwipsPoint(double x, double y) {
    return QPoint(ToPixels(x), ToPixels(y));
}

} // namespace ym::ui
