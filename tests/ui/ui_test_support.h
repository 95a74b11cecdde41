// Helpers shared by the window tests: message boxes, program starts and colour picks are
// recorded instead of shown or run, each test works in a throw-away folder, a watchdog
// makes a test fail at once when a real modal dialog would block it, and a Session runs the
// main window there the way a user drives it.
#pragma once

#include "core/program_state.h"
#include "ui/common/color_chooser.h"
#include "ui/common/message_box.h"
#include "ui/common/platform.h"
#include "ui/main/main_window.h"

#include <QByteArray>
#include <QLabel>
#include <QLineEdit>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QtTest>

#include <cstddef>
#include <memory>
#include <optional>

namespace ym::ui {

struct RecordedMessage {
    QString title;
    QString text;
    MessageButtons buttons = MessageButtons::Ok;
};

// Puts itself in place as the message sink for its lifetime.
class RecordingMessages : public MessageSink {
public:
    RecordingMessages();
    ~RecordingMessages() override;
    RecordingMessages(const RecordingMessages&) = delete;
    RecordingMessages& operator=(const RecordingMessages&) = delete;

    MessageAnswer show(QWidget* parent, const QString& title, const QString& text,
                       MessageButtons buttons) override;
    // Every box shown, as "title: text".
    QStringList shown() const;

    QList<RecordedMessage> messages;
    MessageAnswer answer = MessageAnswer::Ok; // what every box with a choice "returns"

private:
    MessageSink* m_previous = nullptr;
};

struct RecordedStart {
    QString program;
    QString workingDirectory;
};

// Puts itself in place as the program launcher for its lifetime. Nothing is run.
class RecordingLauncher : public ProgramLauncher {
public:
    RecordingLauncher();
    ~RecordingLauncher() override;
    RecordingLauncher(const RecordingLauncher&) = delete;
    RecordingLauncher& operator=(const RecordingLauncher&) = delete;

    bool start(const QString& program, const QString& workingDirectory) override;
    // True for a name listed in availablePrograms, or for an existing executable file path.
    bool available(const QString& program) const override;
    bool openUrl(const QString& url) override;

    QList<RecordedStart> starts;
    QStringList openedUrls;
    QStringList availablePrograms;
    bool startSucceeds = true;

private:
    ProgramLauncher* m_previous = nullptr;
};

// Puts itself in place as the colour chooser for its lifetime. Picks are answered from
// `answers` in turn; an invalid colour (or none left) cancels the chooser.
class RecordingChooser : public ColorChooser {
public:
    RecordingChooser();
    ~RecordingChooser() override;
    RecordingChooser(const RecordingChooser&) = delete;
    RecordingChooser& operator=(const RecordingChooser&) = delete;

    std::optional<QColor> choose(QWidget* parent, const QColor& initial) override;

    QList<QColor> initials;
    QList<QColor> answers;

private:
    ColorChooser* m_previous = nullptr;
};

// A fresh temporary folder made the current directory; the old one comes back after.
class TempWorkingDirectory {
public:
    TempWorkingDirectory();
    ~TempWorkingDirectory();
    TempWorkingDirectory(const TempWorkingDirectory&) = delete;
    TempWorkingDirectory& operator=(const TempWorkingDirectory&) = delete;

    QString path() const { return m_dir.path(); }
    QString filePath(const QString& name) const { return m_dir.filePath(name); }

private:
    QString m_previous;
    QTemporaryDir m_dir;
};

// Registers the artwork and starts (once per process) a timer that watches for an
// application-modal widget. A modal dialog means some code bypassed the message sink: the
// dialog is closed and the test run aborts with a message naming it.
void InstallModalWatchdog();

// Writes a file, executable by its owner when asked. False when any step fails.
bool WriteTestFile(const QString& path, const QByteArray& bytes, bool executable = false);
// A file's bytes; empty when it cannot be read.
QByteArray ReadTestFile(const QString& path);

// One data column "c" holding a whole case, one row per case named by its `name`.
template <class Case, std::size_t N> void AddCaseRows(const Case (&cases)[N]) {
    QTest::addColumn<Case>("c");
    for (const Case& c : cases) {
        QTest::newRow(c.name) << c;
    }
}

inline const QString kSettingsFile = QStringLiteral("Yuanmate5.ini");

QWidget* Focused();
// The visible top-level window of that object name ("Form3"), or nullptr.
QWidget* Window(const QString& objectName);
template <class T = QWidget> T* Child(const QWidget* window, const QString& name) {
    return window->findChild<T*>(name);
}
QStringList Words(const char* text);

// Acts as a user on `window`: "[Name]" clicks its control Name, "\r" is Enter, "\b"
// Backspace, "\x7f" Delete; any other character is typed where the focus is.
void Type(const QString& script, const QWidget* window = nullptr);

// Opens a field's context menu and triggers the entry with Qt's text `entry` ("&Paste");
// false when the menu has no such entry enabled.
bool TriggerMenuEntry(QWidget* field, const char* entry);

// One run of the program in a folder of its own, with messages, program starts and colour
// picks recorded instead of shown or run.
struct Session {
    TempWorkingDirectory dir;
    RecordingMessages messages;
    RecordingLauncher launcher;
    RecordingChooser chooser;
    ym::ProgramState state;
    std::unique_ptr<Form1> form;

    // Start-up without showing the window; false when it ended the program.
    bool load();
    // Start-up, the window shown and active.
    bool start();
    // Start-up from a settings file holding `bytes`. Starting again runs the program anew
    // on the file the last run left.
    bool start(const QByteArray& bytes);

    template <class T = QWidget> T* get(const QString& name) const {
        return Child<T>(form.get(), name);
    }
    QLineEdit* field(const QString& name) const { return get<QLineEdit>(name); }
    QString text(const QString& label) const { return get<QLabel>(label)->text(); }
    // The texts of prefix0 .. prefix(count-1).
    QStringList values(const QString& prefix, int count) const;
    void click(const QString& name) const;
    // Type() on the main window.
    void type(const QString& script) const { Type(script, form.get()); }
    // The buy price, sell price and quantity typed over what Text1, Text3 and Text2 hold,
    // with Enter after each, then Enter on "计 算(D)".
    void trade(const QString& buy, const QString& sell, const QString& quantity) const;
    // The main window shown, enabled and active again.
    bool back() const;

    QStringList shown() const { return messages.shown(); }
    QString path() const { return dir.filePath(kSettingsFile); }
    QByteArray fileBytes() const { return ReadTestFile(path()); }
};

} // namespace ym::ui
