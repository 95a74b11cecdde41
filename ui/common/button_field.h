// A read-only text field drawn as a push button: centred caption, a hover frame and a
// focus frame drawn round it as separate rectangles, and a click or Enter that runs the
// action of a (small, possibly hidden) real push button carrying the access key.
#pragma once

#include <QLineEdit>

class QAbstractButton;
class QFrame;

namespace ym::ui {

class ButtonField : public QLineEdit {
    Q_OBJECT
public:
    explicit ButtonField(const QString& caption, QWidget* parent = nullptr);

    // The push button whose click is the action.
    void setAction(QAbstractButton* action);
    // The rectangles (siblings of the field) shown as its hover and focus frames.
    void setFrames(QFrame* hoverFrame, QFrame* focusFrame);
    QFrame* hoverFrame() const { return m_hover; }
    QFrame* focusFrame() const { return m_focus; }

signals:
    void hovered();       // the mouse moved over it
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

private:
    void runAction();

    QAbstractButton* m_action = nullptr;
    QFrame* m_hover = nullptr;
    QFrame* m_focus = nullptr;
    bool m_pressed = false;
};

// A rectangle outline (the "Shape" controls): a frameless widget that paints its border.
QFrame* MakeRectangle(QWidget* parent, const QString& objectName, const QRect& geometry,
                      const QColor& color);

} // namespace ym::ui
