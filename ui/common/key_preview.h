// Key preview: sees every key press aimed at a window or its children before the
// focused control does and may consume it. Character input is left to the fields'
// own filters: a key that is not consumed reaches the control unchanged.
#pragma once

#include <QObject>
#include <functional>

class QKeyEvent;
class QWidget;

namespace ym::ui {

class KeyPreview : public QObject {
    Q_OBJECT
public:
    // `handler` gets the Qt key code of each press; returning true consumes it.
    KeyPreview(QWidget* window, std::function<bool(int key)> handler);
    void setEnabled(bool enabled) { m_enabled = enabled; }
    bool isEnabled() const { return m_enabled; }
    // Keys for which `wouldConsume` is true are kept from shortcuts and mnemonics, so the
    // handler sees them as key presses. The predicate must not act on the key.
    void setShortcutOverride(std::function<bool(int key)> wouldConsume) {
        m_wouldConsume = std::move(wouldConsume);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* m_window;
    std::function<bool(int)> m_handler;
    std::function<bool(int)> m_wouldConsume;
    bool m_enabled = false;
    bool m_forwarding = false;
};

} // namespace ym::ui
