// Qt's own texts (the buttons of message boxes, the entry fields' context menu) in
// Simplified Chinese, like the rest of the windows.
#pragma once

namespace ym::ui {

// Installs Qt's Simplified Chinese translation into the running application. False when
// the translation files are not installed; Qt's texts then stay English.
bool InstallQtTranslation();

} // namespace ym::ui
