#include "key_preview.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

namespace ym::ui {

KeyPreview::KeyPreview(QWidget* window, std::function<bool(int key)> handler)
    : QObject(window), m_window(window), m_handler(std::move(handler)) {
    qApp->installEventFilter(this);
}

bool KeyPreview::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::KeyPress && type != QEvent::ShortcutOverride) {
        return false;
    }
    if (!m_enabled || m_forwarding || !m_handler || !watched->isWidgetType()) {
        return false;
    }
    auto* receiver = static_cast<QWidget*>(watched);
    if (receiver != m_window && !m_window->isAncestorOf(receiver)) {
        return false;
    }
    auto* key = static_cast<QKeyEvent*>(event);

    if (type == QEvent::ShortcutOverride) {
        // Accepting the override keeps a shortcut from taking a key that the window
        // handles itself; the key press that follows then reaches this filter.
        if (m_wouldConsume && m_wouldConsume(key->key())) {
            key->accept();
            return true;
        }
        return false;
    }

    if (m_handler(key->key())) {
        key->accept();
        return true;
    }
    // Not consumed: deliver it now, so that the focused control and, if it ignores the
    // key, its parents get it unchanged, while this filter stays out of the way. Letting
    // the application propagate it instead would show the same press to this filter once
    // for every parent and run the handler again each time.
    m_forwarding = true;
    QCoreApplication::sendEvent(receiver, key);
    m_forwarding = false;
    key->accept();
    return true;
}

} // namespace ym::ui
