#include "title_strip.h"

#include <QMouseEvent>
#include <QWindow>

namespace ym::ui {

void DragHandle::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    event->accept();
    // The window system moves the frameless window as if its title bar had been grabbed.
    if (QWindow* handle = window()->windowHandle()) {
        handle->startSystemMove();
    }
    emit dragStarted();
}

void ClickLabel::mouseReleaseEvent(QMouseEvent* event) {
    // A press dragged off the label and released elsewhere is not a click.
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        event->accept();
        emit clicked();
        return;
    }
    QLabel::mouseReleaseEvent(event);
}

} // namespace ym::ui
