// Helpers shared by the window tests: message boxes, program starts and colour picks are
// recorded instead of shown or run, each test works in a throw-away folder, a watchdog
// makes a test fail at once when a real modal dialog would block it, and a Session runs the
// main window there the way a user drives it.
#pragma once

#include "core/program_state.h"
#include "ui/common/color_chooser.h"
#include "ui/common/message_box.h"
#include "ui/common/platform.h"
#include "ui/help/help_window.h"
#include "ui/main/main_window.h"

#include <QtTest>
#include <QtWidgets>

#include <memory>

namespace ym::ui {

// Puts itself in place as the message sink for its lifetime.
class RecordingMessages : public MessageSink {
public:
    RecordingMessages() : m_previous(SetMessageSink(this)) {}
    ~RecordingMessages() override { SetMessageSink(m_previous); }

    MessageAnswer show(QWidget*, const QString& title, const QString& text,
                       MessageButtons buttons) override {
        shown << title + ": " + text;
        // A box with only OK cannot be cancelled whatever the test asked for.
        return buttons == MessageButtons::Ok ? MessageAnswer::Ok : answer;
    }

    QStringList shown;                        // every box shown, as "title: text"
    MessageAnswer answer = MessageAnswer::Ok; // what every box with a choice "returns"

private:
    MessageSink* m_previous = nullptr;
};

// Puts itself in place as the program launcher for its lifetime. Nothing is run.
class RecordingLauncher : public ProgramLauncher {
public:
    RecordingLauncher() : m_previous(SetLauncher(this)) {}
    ~RecordingLauncher() override { SetLauncher(m_previous); }

    bool start(const QString& program, const QString& workingDirectory) override {
        starts.append(program);
        startedIn = workingDirectory;
        return startSucceeds;
    }
    bool available(const QString& program) const override {
        return availablePrograms.contains(program);
    }
    bool openUrl(const QString& url) override {
        openedUrls.append(url);
        return startSucceeds;
    }

    QStringList starts;
    QString startedIn; // the working folder of the last start
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
    RecordingChooser() : m_previous(SetColorChooser(this)) {}
    ~RecordingChooser() override { SetColorChooser(m_previous); }

    std::optional<QColor> choose(QWidget*, const QColor& initial) override {
        initials << initial;
        const QColor answer = answers.isEmpty() ? QColor() : answers.takeFirst();
        return answer.isValid() ? std::optional<QColor>(answer) : std::nullopt;
    }

    QList<QColor> initials;
    QList<QColor> answers;

private:
    ColorChooser* m_previous = nullptr;
};

// A fresh temporary folder made the current directory; the old one comes back after.
class TempWorkingDirectory {
public:
    TempWorkingDirectory() : m_previous(QDir::currentPath()) { QDir::setCurrent(m_dir.path()); }
    ~TempWorkingDirectory() { QDir::setCurrent(m_previous); }

    QString path() const { return m_dir.path(); }
    QString filePath(const QString& name) const { return m_dir.filePath(name); }

private:
    QString m_previous;
    QTemporaryDir m_dir;
};

// Registers the artwork and starts a timer (call it once, from initTestCase) that watches
// for an application-modal widget. A modal dialog means some code bypassed the message sink: the
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

inline QWidget* Focused() {
    return QApplication::focusWidget();
}
// The visible top-level window of that object name ("Form3"), or nullptr.
QWidget* Window(const QString& objectName);
template <class T = QWidget> T* Child(const QWidget* window, const QString& name) {
    return window->findChild<T*>(name);
}
inline QStringList Words(const char* text) {
    return QString::fromUtf8(text).split(u' ', Qt::SkipEmptyParts);
}

// The open settings dialog, or nullptr; a control of it.
inline QWidget* Dialog() {
    return Window(QStringLiteral("Form3"));
}
template <class T = QWidget> T* Get(const QString& name) {
    return Child<T>(Dialog(), name);
}
// F5 where the focus is (its release goes to a window that has hidden itself); the settings
// dialog then active.
bool OpenSettings();
// The settings dialog's store prompt and its notice that the parameters were stored.
inline const QString kStorePrompt =
    QStringLiteral("提示:   ** 参数信息已经改变,要存储当前的参数信息吗？");
inline const QString kStored = QStringLiteral("提示:   ** 参数信息已经存储完毕!立即生效.");

// Acts as a user on `window`: "[Name]" clicks its control Name, "{Alt+X}" presses a key
// (as QKeySequence writes it), "\r" is Enter, "\b" Backspace, "\x7f" Delete, any other
// character is typed. Keys go where the focus is, or to `window` when the focus is outside.
void Type(const QString& script, QWidget* window = nullptr);

// Text put into a field holding `before` with the selection [selStart, +selLength), then
// entered the way `entry` says: typed key by key by Type(), or all at once by Ctrl+V, by the
// context menu's Paste, or as an input method's commit.
enum class Entry { Typed, KeyPaste, MenuPaste, InputMethod };
struct FilterCase {
    const char *name, *field, *before;
    int selStart, selLength;
    const char *keys, *after;
    Entry entry = Entry::Typed;
};
// Gives `field` the case's text and selection and the focus, and enters the keys. False
// when a menu paste finds no Paste entry.
bool Enter(QLineEdit* field, const FilterCase& c);
// Enters `text` into the focused `field` the way `entry` says.
bool Enter(QLineEdit* field, const QString& text, Entry entry);

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
    std::unique_ptr<MainWindow> form;

    // The help viewer, when the run opened it, closes with the run.
    ~Session() {
        if (HelpWindow* help = HelpWindow::Instance()) {
            help->close();
        }
    }
    // Start-up, the window shown and active; false when it ended the program.
    bool start();
    // Start-up from a settings file holding `bytes`. Starting again runs the program anew
    // on the file the last run left.
    bool start(const QByteArray& bytes) { return WriteTestFile(path(), bytes) && start(); }

    template <class T = QWidget> T* get(const QString& name) const {
        return Child<T>(form.get(), name);
    }
    QLineEdit* field(const QString& name) const { return get<QLineEdit>(name); }
    QString text(const QString& label) const { return get<QLabel>(label)->text(); }
    // The texts of prefix0 .. prefix(count-1).
    QStringList values(const QString& prefix, int count) const;
    void click(const QString& name) const { QTest::mouseClick(get(name), Qt::LeftButton); }
    // Type() on the main window.
    void type(const QString& script) const { Type(script, form.get()); }
    // The buy price, sell price and quantity typed over what Text1, Text3 and Text2 hold,
    // with Enter after each, then Enter on "计 算(D)".
    void trade(const QString& buy, const QString& sell, const QString& quantity) const;
    // The main window shown, enabled and active again.
    bool back() const {
        return form->isVisible() && form->isEnabled() && QTest::qWaitForWindowActive(form.get());
    }

    QStringList shown() const { return messages.shown; }
    QString path() const { return dir.filePath(kSettingsFile); }
    QByteArray fileBytes() const { return ReadTestFile(path()); }
};

// The base of the tests of the main window and the windows over it: the watchdog, and a fresh
// run of the program before each test, set up by begin() (the main window started).
class SessionTest : public QObject {
    Q_OBJECT

protected:
    virtual bool begin() { return s->start(); }
    std::unique_ptr<Session> s;

protected slots:
    void initTestCase() { InstallModalWatchdog(); }
    void init() {
        s = std::make_unique<Session>();
        QVERIFY(begin());
    }
    void cleanup() { s.reset(); }
};

} // namespace ym::ui

Q_DECLARE_METATYPE(ym::ui::FilterCase)
