#include "ui/settings/parameter_field.h"

#include "ui/common/edit_menu.h"

#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>

namespace ym::ui {

namespace {

constexpr char32_t kBackspace = 8;
constexpr char32_t kEnter = 13;

bool IsControl(char32_t ch) {
    return ch < 0x20 || ch == 0x7F;
}

} // namespace

ParameterField::ParameterField(QWidget* parent) : QLineEdit(parent) {
    // Dropped or composed text would reach the field without being judged.
    setAcceptDrops(false);
    setAttribute(Qt::WA_InputMethodEnabled, false);
}

bool ParameterField::offer(char32_t ch) {
    if (m_keyPress) {
        m_keyPress(ch);
    }
    return ch != 0;
}

void ParameterField::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Paste)) {
        pasteChecked(QClipboard::Clipboard);
        event->accept();
        return;
    }
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // Enter never edits the text nor reaches a default button of the window.
        offer(kEnter);
        event->accept();
        return;
    case Qt::Key_Backspace:
        if (offer(kBackspace)) {
            QLineEdit::keyPressEvent(event);
        }
        event->accept();
        return;
    default:
        break;
    }
    const QList<uint> chars = event->text().toUcs4();
    const bool typed = !chars.isEmpty() && !IsControl(chars.front()) &&
                       !event->modifiers().testAnyFlags(Qt::ControlModifier | Qt::AltModifier);
    if (!typed) {
        // Editing and function keys, shortcuts and mnemonics.
        QLineEdit::keyPressEvent(event);
        return;
    }
    for (const char32_t ch : chars) {
        if (!IsControl(ch) && offer(ch)) {
            insert(QString::fromUcs4(&ch, 1));
        }
    }
    event->accept();
}

void ParameterField::pasteChecked(QClipboard::Mode mode) {
    if (isReadOnly()) {
        return;
    }
    // A value copied from a page or a sheet often brings blanks or a line break along.
    const QString pasted = QGuiApplication::clipboard()->text(mode).trimmed();
    if (pasted.isEmpty()) {
        return;
    }
    QString result = text();
    if (hasSelectedText()) {
        result.replace(selectionStart(), selectedText().size(), pasted);
    } else {
        result.insert(cursorPosition(), pasted);
    }
    if (m_pasteCheck && !m_pasteCheck(result)) {
        return;
    }
    insert(pasted);
}

void ParameterField::contextMenuEvent(QContextMenuEvent* event) {
    MakeEditMenu(this, [this] { pasteChecked(QClipboard::Clipboard); })->popup(event->globalPos());
    event->accept();
}

void ParameterField::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::MiddleButton) {
        if (QGuiApplication::clipboard()->supportsSelection()) {
            pasteChecked(QClipboard::Selection);
        }
        event->accept();
        return;
    }
    QLineEdit::mouseReleaseEvent(event);
}

} // namespace ym::ui
