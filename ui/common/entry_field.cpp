#include "ui/common/entry_field.h"

#include "ui/common/edit_menu.h"
#include "ui/common/text.h"

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

// Switching to another window or a pop-up and back neither leaves nor enters the field.
bool WithinTheWindow(const QFocusEvent* event) {
    return event->reason() != Qt::ActiveWindowFocusReason &&
           event->reason() != Qt::PopupFocusReason;
}

bool IsControl(char32_t ch) {
    return ch < 0x20 || ch == 0x7F;
}

// Digits with at most one point where fractions are allowed: every text the filter lets
// the user build (a point may end up first only by deleting what stood before it).
bool IsNumberText(const QString& text, bool fractionAllowed) {
    int points = 0;
    for (const QChar c : text) {
        if (c == QLatin1Char('.')) {
            ++points;
        } else if (c < QLatin1Char('0') || c > QLatin1Char('9')) {
            return false;
        }
    }
    return points <= (fractionAllowed ? 1 : 0);
}

} // namespace

EntryField::EntryField(QWidget* parent) : QLineEdit(parent) {
    // Dropped or composed text would bypass the filter.
    setAcceptDrops(false);
    setAttribute(Qt::WA_InputMethodEnabled, false);
    connect(this, &QLineEdit::textEdited, this, &EntryField::guardEdit);
    connect(this, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (IsNumberText(text, m_fractionAllowed)) {
            m_lastText = text;
        }
    });
}

KeyVerdict EntryField::verdict(char32_t ch) const {
    if (!m_fractionAllowed) {
        return FilterWholeKey(ch);
    }
    std::size_t start = static_cast<std::size_t>(cursorPosition());
    std::size_t length = 0;
    if (hasSelectedText()) {
        start = static_cast<std::size_t>(selectionStart());
        length = static_cast<std::size_t>(selectedText().size());
    }
    return FilterFractionKey(ch, ToAscii(text()), start, length);
}

bool EntryField::admits(char32_t ch) const {
    if (verdict(ch) != KeyVerdict::Accept) {
        return false;
    }
    // A typed character replaces the selection.
    return ch == static_cast<char32_t>(kBackspace) ||
           text().size() - selectedText().size() < m_lengthLimit;
}

void EntryField::insertFiltered(const QString& text) {
    if (isReadOnly()) {
        return;
    }
    for (const char32_t ch : text.toUcs4()) {
        if (!IsControl(ch) && admits(ch)) {
            insert(QString::fromUcs4(&ch, 1));
        }
    }
}

void EntryField::setProgramText(const QString& text) {
    // setText, unlike clear() or insert(), starts a new undo history.
    setText(text);
    m_lastText = text;
}

void EntryField::guardEdit(const QString& text) {
    if (!IsNumberText(text, m_fractionAllowed)) {
        setProgramText(m_lastText);
    }
}

void EntryField::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        event->accept();
        emit enterPressed();
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
        if (!IsControl(ch) && admits(ch)) {
            QLineEdit::keyPressEvent(event);
        }
        event->accept();
        return;
    }
    insertFiltered(text);
    event->accept();
}

void EntryField::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    if (WithinTheWindow(event)) {
        emit focusGained();
    }
}

void EntryField::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    if (WithinTheWindow(event)) {
        emit focusLost();
    }
}

// The menu of any line edit, except that Paste goes through the filter.
void EntryField::contextMenuEvent(QContextMenuEvent* event) {
    MakeEditMenu(this, [this] {
        insertFiltered(QGuiApplication::clipboard()->text(QClipboard::Clipboard));
    })->popup(event->globalPos());
    event->accept();
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
