// The about window: the product's name and version, slogans rolling up into view, the
// maker's credit and a mail link, with confirm and help as the ways out. It stays above
// its owner, the main window, which is disabled while it is open.
#pragma once

#include <QWidget>

class QFrame;
class QLabel;
class QTimer;

namespace ym::ui {

class ButtonFieldGroup;
class KeyPreview;

class AboutWindow : public QWidget {
    Q_OBJECT
public:
    // Opens the about window centred on `owner` and above every other window, or brings
    // the open one forward. The owner disables itself first; closing the about window,
    // whichever way, enables it again.
    static AboutWindow* ShowAbout(QWidget* owner);
    // The open about window, or nullptr.
    static AboutWindow* Instance();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    explicit AboutWindow(QWidget* owner);
    void buildControls();
    // Collapses the slogan panel and switches key preview on.
    void load();
    // The window's key preview: O confirms, F1 opens help, Escape does nothing. True
    // consumes the key.
    bool handleKey(int key);
    // The two ways out.
    void confirm();
    void openHelp();
    void mailSupport();
    // One step of the slogan roll-up.
    void rollStep();
    // The mail link lit while the mouse is over it, blue again when the mouse is elsewhere.
    void lightLink();
    void dimLink();
    void placeSloganPanel();

    KeyPreview* m_keyPreview = nullptr;
    ButtonFieldGroup* m_buttonFields = nullptr;
    QTimer* m_rollTimer = nullptr;
    QFrame* m_sloganPanel = nullptr;
    QLabel* m_mailLink = nullptr;
    // The slogan panel's place in twips, the unit the roll-up counts in.
    int m_panelTop = 0;
    int m_panelHeight = 0;
};

} // namespace ym::ui
