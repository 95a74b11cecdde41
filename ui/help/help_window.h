// The help viewer: one read-only page of help text under a title line, with an exit
// button at the top. Shown non-modally; at most one is open at a time.
#pragma once

#include "ui/help/help_text.h"

#include <QWidget>

class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace ym::ui {

class HelpWindow : public QWidget {
    Q_OBJECT
public:
    explicit HelpWindow(QWidget* parent = nullptr);
    ~HelpWindow() override;

    // Opens the viewer, or brings the open one forward with its text unchanged, and
    // gives it the focus. Every window's F1 comes here.
    static HelpWindow* ShowHelp(QWidget* caller);
    // The same, with the page scrolled to the section `topic` begins.
    static HelpWindow* ShowHelp(QWidget* caller, HelpTopic topic);
    // The open viewer, or nullptr.
    static HelpWindow* Instance();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // The title and the help text, scrolled to the top.
    void load();
    void scrollToLine(int line);

    QPushButton* m_exitButton = nullptr; // "退出(&X)"
    QLineEdit* m_title = nullptr;
    QPlainTextEdit* m_page = nullptr; // the help text
    QString m_helpText;
};

} // namespace ym::ui
