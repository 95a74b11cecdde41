#include "colors.h"

#include <QGuiApplication>
#include <QWidget>

namespace ym::ui {

QColor ToQColor(ColorRef color, const QPalette& palette) {
    if (IsSystemColor(color)) {
        switch (SystemColorIndex(color)) {
        case kSystemHighlightText:
            return palette.color(QPalette::HighlightedText);
        case kSystemButtonText:
            return palette.color(QPalette::ButtonText);
        default:
            return palette.color(QPalette::WindowText);
        }
    }
    return QColor(Red(color), Green(color), Blue(color));
}

QColor SchemeColor(ColorRef color) {
    return ToQColor(color, QGuiApplication::palette());
}

ColorRef ToColorRef(const QColor& color) {
    const QColor rgb = color.toRgb();
    return static_cast<ColorRef>(rgb.red() | (rgb.green() << 8) | (rgb.blue() << 16));
}

void SetBackground(QWidget* widget, const QColor& color) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, color);
    palette.setColor(QPalette::Base, color);
    palette.setColor(QPalette::Button, color);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

void SetForeground(QWidget* widget, const QColor& color) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, color);
    palette.setColor(QPalette::Text, color);
    palette.setColor(QPalette::ButtonText, color);
    widget->setPalette(palette);
}

} // namespace ym::ui
