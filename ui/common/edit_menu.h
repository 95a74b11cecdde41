// The context menu of a line edit, in the words of Qt's own menu and translated with it,
// except that Paste runs the field's own paste, so that pasted text is judged like typed
// text.
#pragma once

#include <functional>

class QLineEdit;
class QMenu;

namespace ym::ui {

// A menu to pop up for `field`; it deletes itself when closed.
QMenu* MakeEditMenu(QLineEdit* field, std::function<void()> paste);

} // namespace ym::ui
