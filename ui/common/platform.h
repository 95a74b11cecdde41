// The thin platform layer: starting programs, topmost windows, mail links and the
// single running instance. Program starting is replaceable for tests.
#pragma once

#include <QString>
#include <QStringList>
#include <memory>

class QLockFile;
class QWidget;

namespace ym::ui {

class ProgramLauncher {
public:
    virtual ~ProgramLauncher() = default;
    // Starts `program` detached in `workingDirectory`; false when it could not start.
    virtual bool start(const QString& program, const QString& workingDirectory) = 0;
    // Whether `program` names a program that can be started (a path or a name on PATH).
    virtual bool available(const QString& program) const = 0;
    // Hands a link ("mailto:...") to the desktop; false when nothing took it.
    virtual bool openUrl(const QString& url);
};

ProgramLauncher& Launcher();
ProgramLauncher* SetLauncher(ProgramLauncher* launcher); // nullptr restores the real one

// The desktop programs that stand in for the Windows calculator and text editor, in the
// order they are tried.
const QStringList& DesktopCalculators();
const QStringList& DesktopTextEditors();

// What to start: the companion `companionName` when a file of that name is in the
// working directory and is executable (started as `startName`, found there), otherwise
// the first available of `fallbacks`. Empty when nothing can be started.
QString ChooseProgram(const QString& companionName, const QString& startName,
                      const QStringList& fallbacks, const QString& workingDirectory);

// Keeps a window above all others (Qt::WindowStaysOnTopHint), keeping it shown.
void KeepOnTop(QWidget* window);
bool OpenMailTo(const QString& address);

// One running copy per user: a lock file in the runtime folder. A lock whose owner is not
// a running copy of the program (a crashed copy, an empty or damaged lock file, a lock
// naming another host) is taken over.
class SingleInstance {
public:
    explicit SingleInstance(const QString& lockName = QStringLiteral("yuanmate.lock"));
    ~SingleInstance();
    bool acquired() const;
    QString lockPath() const;

private:
    bool HeldByRunningCopy() const;

    std::unique_ptr<QLockFile> m_lock;
    QString m_path;
    bool m_acquired = false;
};

} // namespace ym::ui
