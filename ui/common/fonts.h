// The window typefaces with look-alike fall-backs from the installed fonts:
// "宋体" to a Song/Ming face, "隶书" to a brush face, "Comic Sans MS" to a rounded one,
// "Brush Script MT" to a script face or, failing that, a serif italic.
#pragma once

#include <QFont>

namespace ym::ui {

// 宋体; drawn from the face's bitmaps at the sizes it has them, antialiased elsewhere.
QFont SongFont(double points, bool bold = false);
QFont LishuFont(double points, bool bold = false); // 隶书
QFont ComicFont(double points, bool bold = false); // Comic Sans MS
QFont CourierFont(double points, bool bold = false);
QFont TahomaFont(double points, bool bold = false);
QFont ScriptFont(double points, bool bold = false); // Brush Script MT, always italic

} // namespace ym::ui
