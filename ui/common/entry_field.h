// A number entry field. Every character that could reach the text — typed, pasted from the
// keyboard, the context menu or the X11 selection — passes the field's keystroke filter
// first (digits, and one decimal point where fractions are allowed, never as the first
// character), so a field holds only what typing could have produced. Enter is the
// field's own action. Editing keys (Delete, arrows, Home/End, copy, undo) work as in any
// line edit; undo never goes back past a text the program has set.
#pragma once

#include "core/entry_rules.h"

#include <QLineEdit>

namespace ym::ui {

class EntryField : public QLineEdit {
    Q_OBJECT
public:
    explicit EntryField(QWidget* parent = nullptr);

    // Whether one decimal point may be typed (the default); a whole-number field takes
    // digits only.
    void setFractionAllowed(bool allowed) { m_fractionAllowed = allowed; }
    // At most `limit` characters can be typed or pasted. Like a classic edit control's
    // limit it stops the user only: a text the program sets (a rewritten value, a
    // result) is shown in full, never cut.
    void setLengthLimit(int limit) { m_lengthLimit = limit; }

    // What the filter does with `ch` (8 for Backspace, 13 for Enter) at the caret and
    // selection as they are now.
    KeyVerdict verdict(char32_t ch) const;

    // Inserts `text` at the caret as if it were typed character by character; control
    // characters are dropped, so a pasted line break does not commit the field.
    void insertFiltered(const QString& text);

    // Replaces the text as the program does on a commit or a refusal. The undo history
    // ends here: undo cannot bring back a text the program has replaced.
    void setProgramText(const QString& text);

signals:
    void enterPressed();
    // The focus came from another control of the same window.
    void focusGained();
    // The focus moved to another control of the same window.
    void focusLost();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    // Whether the filter takes `ch` and, unless it is Backspace, there is room for it.
    bool admits(char32_t ch) const;
    // Undo and redo can only walk back through the user's own filtered edits, but
    // anything else that slips in (an input method, a platform paste) is put back.
    void guardEdit(const QString& text);

    bool m_fractionAllowed = true;
    int m_lengthLimit = 32767;
    QString m_lastText;
};

} // namespace ym::ui
