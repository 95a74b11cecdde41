// Helpers shared by the window tests: message boxes and program starts are recorded
// instead of shown or run, each test works in a throw-away folder, and a watchdog makes
// a test fail at once when a real modal dialog would block it.
#pragma once

#include "ui/common/message_box.h"
#include "ui/common/platform.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QtTest>

#include <cstddef>

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
    MessageAnswer answer = MessageAnswer::Ok; // what every box "returns"

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

// A fresh temporary folder made the current directory; the old one comes back after.
class TempWorkingDirectory {
public:
    TempWorkingDirectory();
    ~TempWorkingDirectory();
    TempWorkingDirectory(const TempWorkingDirectory&) = delete;
    TempWorkingDirectory& operator=(const TempWorkingDirectory&) = delete;

    QString path() const { return m_dir.path(); }
    QString filePath(const QString& name) const { return m_dir.filePath(name); }
    bool isValid() const { return m_dir.isValid(); }

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

} // namespace ym::ui
