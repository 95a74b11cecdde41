// The program's own artwork: SVG pictures in a Qt resource linked into the window
// library. Registered once at program start (and in the window tests' set-up), before any
// window is built, so whichever window opens first has its pictures.
#pragma once

namespace ym::ui {

void RegisterArtwork();

} // namespace ym::ui
