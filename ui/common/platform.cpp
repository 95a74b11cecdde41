#include "platform.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QProcess>
#include <QStandardPaths>
#include <QSysInfo>
#include <QUrl>
#include <QWidget>

namespace ym::ui {

namespace {

bool IsExecutableFile(const QString& path) {
    const QFileInfo info(path);
    return info.isFile() && info.isExecutable();
}

bool LooksLikePath(const QString& program) {
    return program.contains(QLatin1Char('/')) || program.contains(QLatin1Char('\\'));
}

// The companion programs were named for a file system that ignores case ("Quick_sum.exe"
// starts "quick_sum.exe"). Where case matters, a missing name is looked up again
// among the folder's files without regard to case.
QString ResolveCaseInsensitively(const QString& path) {
    const QFileInfo info(path);
    if (info.exists()) {
        return path;
    }
    const QDir dir = info.absoluteDir();
    const QStringList entries = dir.entryList(QDir::Files);
    for (const QString& entry : entries) {
        if (entry.compare(info.fileName(), Qt::CaseInsensitive) == 0) {
            return dir.filePath(entry);
        }
    }
    return path;
}

class DesktopLauncher : public ProgramLauncher {
public:
    bool start(const QString& program, const QString& workingDirectory) override {
        const QString resolved =
            LooksLikePath(program) ? ResolveCaseInsensitively(program) : program;
        return QProcess::startDetached(resolved, {}, workingDirectory);
    }

    bool available(const QString& program) const override {
        if (program.isEmpty()) {
            return false;
        }
        if (LooksLikePath(program)) {
            return IsExecutableFile(QDir::fromNativeSeparators(program));
        }
        return !QStandardPaths::findExecutable(program).isEmpty();
    }
};

DesktopLauncher g_desktop;
ProgramLauncher* g_launcher = nullptr;

} // namespace

bool ProgramLauncher::openUrl(const QString& url) {
    return QDesktopServices::openUrl(QUrl(url));
}

ProgramLauncher& Launcher() {
    return g_launcher != nullptr ? *g_launcher : g_desktop;
}

ProgramLauncher* SetLauncher(ProgramLauncher* launcher) {
    ProgramLauncher* previous = g_launcher;
    g_launcher = launcher;
    return previous;
}

const QStringList& DesktopCalculators() {
#ifdef Q_OS_WIN
    static const QStringList programs = {QStringLiteral("c:\\windows\\calc.exe")};
#else
    static const QStringList programs = {QStringLiteral("gnome-calculator"),
                                         QStringLiteral("kcalc"), QStringLiteral("galculator"),
                                         QStringLiteral("qalculate-gtk"), QStringLiteral("xcalc")};
#endif
    return programs;
}

const QStringList& DesktopTextEditors() {
#ifdef Q_OS_WIN
    static const QStringList programs = {QStringLiteral("c:\\windows\\notepad.exe")};
#else
    static const QStringList programs = {
        QStringLiteral("gnome-text-editor"), QStringLiteral("gedit"), QStringLiteral("kate"),
        QStringLiteral("mousepad"),          QStringLiteral("xed"),   QStringLiteral("pluma")};
#endif
    return programs;
}

QString ChooseProgram(const QString& companionName, const QString& startName,
                      const QStringList& fallbacks, const QString& workingDirectory) {
    const QDir dir(workingDirectory);
    // "." is not on the search path here, so the companion is started by its full path
    // in the working directory, under the name the caller asked for.
    if (!companionName.isEmpty() && IsExecutableFile(dir.filePath(companionName))) {
        return dir.filePath(startName.isEmpty() ? companionName : startName);
    }
    for (const QString& program : fallbacks) {
        if (Launcher().available(program)) {
            return program;
        }
    }
    return {};
}

void KeepOnTop(QWidget* window) {
    if (window == nullptr) {
        return;
    }
    // Changing the flags of a shown window hides it; show it again above the others.
    window->setWindowFlag(Qt::WindowStaysOnTopHint, true);
    window->show();
    window->raise();
}

bool OpenMailTo(const QString& address) {
    const QString scheme = QStringLiteral("mailto:");
    const QString url =
        address.startsWith(scheme, Qt::CaseInsensitive) ? address : scheme + address;
    return Launcher().openUrl(url);
}

SingleInstance::SingleInstance(const QString& lockName) {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty() || !QDir(folder).exists()) {
        folder = QStandardPaths::writableLocation(QStandardPaths::TempLocation);
    }
    m_path = QDir(folder).filePath(lockName);
    m_lock = std::make_unique<QLockFile>(m_path);
    // No age limit: a copy that has run for hours still holds its lock. A lock whose
    // process is gone is recognised by its process id and taken over.
    m_lock->setStaleLockTime(0);
    m_acquired = m_lock->tryLock(0);
    if (!m_acquired && m_lock->error() == QLockFile::LockFailedError && !HeldByRunningCopy()) {
        m_lock->removeStaleLockFile();
        m_acquired = m_lock->tryLock(0);
    }
}

// The folder is this machine's own, so a lock naming another host, or one that cannot be
// read at all (empty, cut short, garbage), was left by no copy that is running now; the
// process id of a lock from this host is checked by QLockFile itself.
bool SingleInstance::HeldByRunningCopy() const {
    qint64 pid = 0;
    QString host;
    QString application;
    if (!m_lock->getLockInfo(&pid, &host, &application) || pid <= 0) {
        return false;
    }
    return host.isEmpty() || host == QSysInfo::machineHostName();
}

SingleInstance::~SingleInstance() {
    if (m_acquired) {
        m_lock->unlock();
    }
}

bool SingleInstance::acquired() const {
    return m_acquired;
}

QString SingleInstance::lockPath() const {
    return m_path;
}

} // namespace ym::ui
