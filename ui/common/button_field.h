// A read-only text field drawn as a push button: centred caption, a hover frame and a
// focus frame drawn round it as separate rectangles, and a click or Enter that runs the
// action of a (small, possibly hidden) real push button carrying the access key.
#pragma once

#include <QLineEdit>
#include <QList>

class QAbstractButton;
class QFrame;

namespace ym::ui {

class ButtonField : public QLineEdit {
    Q_OBJECT
public:
    explicit ButtonField(const QString& caption, QWidget* parent = nullptr);

    // The push button whose click is the action. Should it take the focus itself (by Tab),
    // the field shows its frames meanwhile: the button may lie out of sight.
    void setAction(QAbstractButton* action);
    // The rectangles (siblings of the field) shown as its hover and focus frames.
    void setFrames(QFrame* hoverFrame, QFrame* focusFrame);
    QFrame* hoverFrame() const { return m_hover; }
    QFrame* focusFrame() const { return m_focus; }
    // Enter acts only while the hover frame shows, and only the mouse resting on the field
    // shows it, never the focus alone.
    void setEnterNeedsHover(bool needsHover) { m_enterNeedsHover = needsHover; }
    // The mouse moving over the field gives it the keyboard focus.
    void setFocusOnHover(bool focusOnHover) { m_focusOnHover = focusOnHover; }

signals:
    void hovered(); // the mouse moved over it
    void focusEntered();
    void focusLeft();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void runAction();

    QAbstractButton* m_action = nullptr;
    QFrame* m_hover = nullptr;
    QFrame* m_focus = nullptr;
    bool m_pressed = false;
    bool m_enterNeedsHover = false;
    bool m_focusOnHover = false;
};

// The button fields of one window share the mouse: the hover frame shows round the field
// the mouse last moved over, or that last took the focus, and round no other; moving the
// mouse over one of the window's watched areas takes every hover frame away.
class ButtonFieldGroup : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    void add(ButtonField* field);
    // Mouse movement over `area` (tracked from now on) hides every hover frame.
    void watchArea(QWidget* area);
    // Shows the hover frame of `field` and hides the others'; nullptr hides them all.
    void showHover(ButtonField* field);

signals:
    void areaHovered(QWidget* area);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QList<ButtonField*> m_fields;
    QList<QWidget*> m_areas;
};

} // namespace ym::ui
