// Colours. A window's fixed colours are written as QColor (red, green, blue); the display
// scheme's colours are colour references, which convert to and from QColor here only.
#pragma once

#include "core/display_scheme.h"

#include <QColor>
#include <QPalette>

class QWidget;

namespace ym::ui {

// 0x00BBGGRR to its colour; system colour 14 (highlighted text) and 18 (button text)
// from `palette`; any other system index falls back to the palette's window text.
QColor ToQColor(ColorRef color, const QPalette& palette);
// A scheme colour under the application's palette (system colours follow the desktop
// theme, not a widget's own recoloured palette).
QColor SchemeColor(ColorRef color);
// The colour reference of a plain colour, 0x00BBGGRR.
ColorRef ToColorRef(const QColor& color);

// Sets a widget's background (auto-filled) or text colour through its palette.
void SetBackground(QWidget* widget, const QColor& color);
void SetForeground(QWidget* widget, const QColor& color);

} // namespace ym::ui
