// The help viewer: one read-only page of help text under a title line, with an exit
// button at the top. Shown non-modally; at most one is open at a time.
#pragma once

#include "ui/help/help_text.h"

#include <QWidget>

class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace ym::ui {

class Form7 : public QWidget {
    Q_OBJECT
public:
    explicit Form7(QWidget* parent = nullptr);
    ~Form7() override;

    // Opens the viewer, or brings the open one forward with its text unchanged, and
    // gives it the focus. Every window's F1 comes here.
    static Form7* ShowHelp(QWidget* caller);
    // The same, with the page scrolled to the section `topic` begins.
    static Form7* ShowHelp(QWidget* caller, HelpTopic topic);
    // The open viewer, or nullptr.
    static Form7* Instance();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void Form_Load();
    void scrollToLine(int line);
    void Command2_Click();

    QPushButton* m_command2 = nullptr; // "退出(&X)"
    QLineEdit* m_text2 = nullptr;      // title line
    QPlainTextEdit* m_text1 = nullptr; // the help text
    QString m_helpText;
};

} // namespace ym::ui
