#include "ui/main/entry_field.h"

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>

namespace ym::ui {

namespace {

bool IsEditingKey(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Delete:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Home:
    case Qt::Key_End:
        return true;
    default:
        break;
    }
    return event->matches(QKeySequence::Copy) || event->matches(QKeySequence::Cut) ||
           event->matches(QKeySequence::SelectAll) || event->matches(QKeySequence::Undo) ||
           event->matches(QKeySequence::Redo);
}

} // namespace

EntryField::EntryField(QWidget* parent) : QLineEdit(parent) {
    // Dropped or composed text would bypass the key handler.
    setAcceptDrops(false);
    setAttribute(Qt::WA_InputMethodEnabled, false);
}

void EntryField::insertFiltered(const QString& text) {
    if (isReadOnly()) {
        return;
    }
    for (const char32_t ch : text.toUcs4()) {
        // A pasted line break must not commit the field behind the user's back.
        if (ch < 0x20 || ch == 0x7F) {
            continue;
        }
        if (admits(ch)) {
            insert(QString::fromUcs4(&ch, 1));
        }
    }
}

void EntryField::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (m_keyPress) {
            m_keyPress(13);
        }
        event->accept();
        return;
    case Qt::Key_Backspace:
        if (admits(8)) {
            QLineEdit::keyPressEvent(event);
        } else {
            event->accept();
        }
        return;
    default:
        break;
    }
    if (event->matches(QKeySequence::Paste)) {
        insertFiltered(QGuiApplication::clipboard()->text(QClipboard::Clipboard));
        event->accept();
        return;
    }
    if (IsEditingKey(event)) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    const QString text = event->text();
    if (text.isEmpty()) {
        // Function keys and modifiers: nothing to type; the window may want them.
        event->ignore();
        return;
    }
    const QList<uint> chars = text.toUcs4();
    if (chars.size() == 1) {
        // Other control characters are discarded like any refused character.
        const char32_t ch = chars.front();
        if (ch >= 0x20 && ch != 0x7F && admits(ch)) {
            QLineEdit::keyPressEvent(event);
            return;
        }
        event->accept();
        return;
    }
    insertFiltered(text);
    event->accept();
}

void EntryField::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    // Switching to another application or a pop-up does not leave the field.
    if (event->reason() != Qt::ActiveWindowFocusReason && event->reason() != Qt::PopupFocusReason) {
        emit focusLost();
    }
}

void EntryField::contextMenuEvent(QContextMenuEvent* event) {
    QMenu* menu = createStandardContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    for (QAction* action : menu->actions()) {
        if (action->objectName() == QLatin1String("edit-paste")) {
            action->disconnect();
            connect(action, &QAction::triggered, this, [this] {
                insertFiltered(QGuiApplication::clipboard()->text(QClipboard::Clipboard));
            });
        }
    }
    menu->popup(event->globalPos());
}

void EntryField::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::MiddleButton) {
        // The X11 selection paste goes through the filter like any other paste.
        const QClipboard* clipboard = QGuiApplication::clipboard();
        if (clipboard->supportsSelection()) {
            insertFiltered(clipboard->text(QClipboard::Selection));
        }
        event->accept();
        return;
    }
    QLineEdit::mouseReleaseEvent(event);
}

} // namespace ym::ui
