// A fee parameter field. Each character key — Backspace and Enter among them — is put to
// the window before it reaches the text, so the window can judge the text as it stands
// and discard the key. Pasted text (keyboard, context menu, X11 selection) is put to the
// window whole, as the text it would make; dropped and composed text are not taken.
// Other editing keys (Delete, cut, undo) work as in any line edit.
#pragma once

#include <QClipboard>
#include <QLineEdit>
#include <functional>

namespace ym::ui {

class ParameterField : public QLineEdit {
    Q_OBJECT
public:
    explicit ParameterField(QWidget* parent = nullptr);

    // Sees the character (8 Backspace, 13 Enter) before the field; setting it to 0
    // discards the key.
    void setKeyPress(std::function<void(char32_t& ch)> keyPress) {
        m_keyPress = std::move(keyPress);
    }
    // Sees the text a paste would leave in the field (longer than maxLength() included);
    // false refuses the paste.
    void setPasteCheck(std::function<bool(const QString& result)> check) {
        m_pasteCheck = std::move(check);
    }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    // True when the window let the key through.
    bool offer(char32_t ch);
    void pasteChecked(QClipboard::Mode mode);

    std::function<void(char32_t&)> m_keyPress;
    std::function<bool(const QString&)> m_pasteCheck;
};

} // namespace ym::ui
