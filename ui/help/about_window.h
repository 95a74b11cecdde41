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

class Form2 : public QWidget {
    Q_OBJECT
public:
    // Opens the about window centred on `owner` and above every other window, or brings
    // the open one forward. The owner disables itself first; closing the about window,
    // whichever way, enables it again.
    static Form2* ShowAbout(QWidget* owner);
    // The open about window, or nullptr.
    static Form2* Instance();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    explicit Form2(QWidget* owner);
    void buildControls();
    void Form_Load();
    // Key preview; true consumes the key.
    bool Form_KeyDown(int key);
    void Command1_Click(); // confirm
    void Command2_Click(); // help
    void Label6_Click();   // the mail link
    // One step of the slogan roll-up.
    void Timer1_Timer();
    void Label6_MouseMove();
    void Picture1_MouseMove();
    void placeFrame1();

    KeyPreview* m_keyPreview = nullptr;
    ButtonFieldGroup* m_buttonFields = nullptr;
    QTimer* m_timer1 = nullptr;
    QFrame* m_frame1 = nullptr; // the slogan panel
    QLabel* m_label6 = nullptr; // the mail link
    // The slogan panel's place in twips, the unit the roll-up counts in.
    int m_frame1Top = 0;
    int m_frame1Height = 0;
};

} // namespace ym::ui
