// The pieces of a window's own title strip: a drag handle that moves the frameless
// window (left button only) and clickable labels for "-" and "X".
#pragma once

#include <QLabel>

namespace ym::ui {

class DragHandle : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;
signals:
    void dragStarted(); // emitted when a left press hands the move to the window system
protected:
    void mousePressEvent(QMouseEvent* event) override;
};

class ClickLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;
signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};

} // namespace ym::ui
