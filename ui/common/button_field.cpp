#include "button_field.h"

#include <QAbstractButton>
#include <QFrame>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace ym::ui {

ButtonField::ButtonField(const QString& caption, QWidget* parent) : QLineEdit(caption, parent) {
    setReadOnly(true);
    setAlignment(Qt::AlignCenter);
    setFrame(false);
    // Not a tab stop, but a click takes the focus before the action runs, so an entry
    // field that had it commits its text first.
    setFocusPolicy(Qt::ClickFocus);
    setMouseTracking(true);
    setContextMenuPolicy(Qt::NoContextMenu);
    setCursor(Qt::ArrowCursor);
    setAttribute(Qt::WA_InputMethodEnabled, false);
}

void ButtonField::setAction(QAbstractButton* action) {
    m_action = action;
    if (action != nullptr) {
        action->installEventFilter(this);
    }
}

bool ButtonField::eventFilter(QObject* watched, QEvent* event) {
    const bool in = event->type() == QEvent::FocusIn;
    if (watched == m_action && (in || event->type() == QEvent::FocusOut)) {
        for (QFrame* frame : {m_hover, m_focus}) {
            if (frame != nullptr) {
                frame->setVisible(in);
            }
        }
    }
    return QLineEdit::eventFilter(watched, event);
}

void ButtonField::setFrames(QFrame* hoverFrame, QFrame* focusFrame) {
    m_hover = hoverFrame;
    m_focus = focusFrame;
}

void ButtonField::runAction() {
    if (m_action != nullptr) {
        m_action->click();
    }
}

void ButtonField::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        m_pressed = true;
        update();
    }
    event->accept();
}

void ButtonField::mouseReleaseEvent(QMouseEvent* event) {
    const bool wasPressed = m_pressed;
    if (event->button() == Qt::LeftButton) {
        m_pressed = false;
        update();
    }
    event->accept();
    // Like a push button: the press and the release both on the field make a click.
    if (wasPressed && event->button() == Qt::LeftButton &&
        rect().contains(event->position().toPoint())) {
        runAction();
    }
}

void ButtonField::mouseMoveEvent(QMouseEvent* event) {
    event->accept();
    emit hovered();
    if (m_focusOnHover && !hasFocus()) {
        setFocus(Qt::MouseFocusReason);
    }
}

void ButtonField::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        if (m_enterNeedsHover && (m_hover == nullptr || m_hover->isHidden())) {
            return;
        }
        runAction();
        // The action may have moved the focus away already; either way the frames go.
        if (m_hover != nullptr) {
            m_hover->hide();
        }
        if (m_focus != nullptr) {
            m_focus->hide();
        }
        return;
    }
    // Nothing is typed into a button; the key is left to the window.
    event->ignore();
}

void ButtonField::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    // Where Enter needs the hover frame, only the mouse shows it: the focus coming back
    // with the window does not.
    if (m_hover != nullptr && !m_enterNeedsHover) {
        m_hover->show();
    }
    if (m_focus != nullptr) {
        m_focus->show();
    }
    emit focusEntered();
}

void ButtonField::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    m_pressed = false;
    if (m_hover != nullptr) {
        m_hover->hide();
    }
    if (m_focus != nullptr) {
        m_focus->hide();
    }
    emit focusLeft();
}

// A flat face in the field's own background colour with a two-pixel bevel, raised at
// rest and sunken while the mouse button is held: the look of a classic push button
// that takes its colour from the panel it sits on.
void ButtonField::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QPalette& pal = palette();
    const QColor face = pal.color(QPalette::Base);
    const QColor light = face.lighter(160);
    const QColor dark = face.darker(220);
    const QColor mid = face.darker(140);
    const QRect r = rect();
    painter.fillRect(r, face);

    const QColor topLeft = m_pressed ? dark : light;
    const QColor bottomRight = m_pressed ? light : dark;
    const QColor innerBottomRight = m_pressed ? face : mid;
    painter.setPen(topLeft);
    painter.drawLine(r.topLeft(), r.topRight());
    painter.drawLine(r.topLeft(), r.bottomLeft());
    painter.setPen(bottomRight);
    painter.drawLine(r.bottomLeft(), r.bottomRight());
    painter.drawLine(r.topRight(), r.bottomRight());
    const QRect inner = r.adjusted(1, 1, -1, -1);
    painter.setPen(innerBottomRight);
    painter.drawLine(inner.bottomLeft(), inner.bottomRight());
    painter.drawLine(inner.topRight(), inner.bottomRight());

    QRect textRect = r.adjusted(2, 2, -2, -2);
    if (m_pressed) {
        textRect.translate(1, 1);
    }
    painter.setFont(font());
    painter.setPen(pal.color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::Text));
    painter.drawText(textRect, Qt::AlignCenter | Qt::TextSingleLine, text());
}

void ButtonFieldGroup::add(ButtonField* field) {
    m_fields.append(field);
    connect(field, &ButtonField::hovered, this, [this, field] { showHover(field); });
    // The field's own frames are shown by the field; the others lose their hover frame.
    connect(field, &ButtonField::focusEntered, this, [this, field] {
        for (ButtonField* other : std::as_const(m_fields)) {
            if (other != field && other->hoverFrame() != nullptr) {
                other->hoverFrame()->hide();
            }
        }
    });
}

void ButtonFieldGroup::watchArea(QWidget* area) {
    m_areas.append(area);
    area->setMouseTracking(true);
    area->installEventFilter(this);
}

void ButtonFieldGroup::showHover(ButtonField* field) {
    for (ButtonField* f : std::as_const(m_fields)) {
        if (QFrame* hover = f->hoverFrame()) {
            hover->setVisible(f == field);
        }
    }
}

bool ButtonFieldGroup::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseMove) {
        for (QWidget* area : std::as_const(m_areas)) {
            if (watched == area) {
                showHover(nullptr);
                emit areaHovered(area);
                break;
            }
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace ym::ui
