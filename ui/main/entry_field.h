// A number entry field of the trade calculator. Every character that could reach the
// text — typed or pasted — is put to the owner's key handler first,
// so a field never holds a character its filter would refuse. Editing keys (Delete,
// arrows, Home/End, copy, undo) work as in any line edit.
#pragma once

#include <QLineEdit>
#include <functional>

namespace ym::ui {

class EntryField : public QLineEdit {
    Q_OBJECT
public:
    // Gets each character (8 for Backspace, 13 for Enter); true lets it into the text.
    using KeyPress = std::function<bool(char32_t ch)>;

    explicit EntryField(QWidget* parent = nullptr);
    void setKeyPress(KeyPress handler) { m_keyPress = std::move(handler); }

    // Inserts `text` at the caret as if it were typed character by character, without
    // commits: control characters are dropped.
    void insertFiltered(const QString& text);

signals:
    // The focus moved to another control of the same window.
    void focusLost();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool admits(char32_t ch) const { return !m_keyPress || m_keyPress(ch); }

    KeyPress m_keyPress;
};

} // namespace ym::ui
