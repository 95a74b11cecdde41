// Colour references of the settings file to Qt colours.
#pragma once

#include "core/display_scheme.h"

#include <QColor>
#include <QPalette>

namespace ym::ui {

// 0x00BBGGRR to its colour; system colour 14 (highlighted text) and 18 (button text)
// from the palette; any other system index falls back to the palette's window text.
QColor ToQColor(ColorRef color, const QPalette& palette);
// 0x00BBGGRR written the way the settings file and the layout tables give it.
inline QColor Rgb(ColorRef bgr) { return QColor(Red(bgr), Green(bgr), Blue(bgr)); }

// Sets a widget's background (auto-filled) or text colour through its palette.
void SetBackground(class QWidget* widget, const QColor& color);
void SetForeground(class QWidget* widget, const QColor& color);

} // namespace ym::ui
