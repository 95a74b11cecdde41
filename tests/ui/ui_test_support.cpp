#include "ui_test_support.h"

#include "ui/common/artwork.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTimer>
#include <QWidget>

namespace ym::ui {

RecordingMessages::RecordingMessages() : m_previous(SetMessageSink(this)) {}

RecordingMessages::~RecordingMessages() {
    SetMessageSink(m_previous);
}

MessageAnswer RecordingMessages::show(QWidget*, const QString& title, const QString& text,
                                      MessageButtons buttons) {
    messages.append({title, text, buttons});
    // A box with only OK cannot be cancelled whatever the test asked for.
    return buttons == MessageButtons::Ok ? MessageAnswer::Ok : answer;
}

QStringList RecordingMessages::shown() const {
    QStringList boxes;
    for (const RecordedMessage& m : messages) {
        boxes << m.title + ": " + m.text;
    }
    return boxes;
}

RecordingLauncher::RecordingLauncher() : m_previous(SetLauncher(this)) {}

RecordingLauncher::~RecordingLauncher() {
    SetLauncher(m_previous);
}

bool RecordingLauncher::start(const QString& program, const QString& workingDirectory) {
    starts.append({program, workingDirectory});
    return startSucceeds;
}

bool RecordingLauncher::available(const QString& program) const {
    if (availablePrograms.contains(program)) {
        return true;
    }
    if (program.contains(QLatin1Char('/'))) {
        const QFileInfo info(program);
        return info.isFile() && info.isExecutable();
    }
    return false;
}

bool RecordingLauncher::openUrl(const QString& url) {
    openedUrls.append(url);
    return startSucceeds;
}

TempWorkingDirectory::TempWorkingDirectory() : m_previous(QDir::currentPath()) {
    if (m_dir.isValid()) {
        QDir::setCurrent(m_dir.path());
    }
}

TempWorkingDirectory::~TempWorkingDirectory() {
    QDir::setCurrent(m_previous);
}

void InstallModalWatchdog() {
    RegisterArtwork();
    static QTimer* watchdog = nullptr;
    if (watchdog != nullptr || qApp == nullptr) {
        return;
    }
    watchdog = new QTimer(qApp);
    watchdog->setInterval(50);
    QObject::connect(watchdog, &QTimer::timeout, [] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr) {
            return;
        }
        const QString name =
            QStringLiteral("%1 \"%2\"")
                .arg(QString::fromLatin1(modal->metaObject()->className()), modal->windowTitle());
        modal->close();
        qFatal("A modal dialog appeared during a test: %s", qPrintable(name));
    });
    watchdog->start();
}

bool WriteTestFile(const QString& path, const QByteArray& bytes, bool executable) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(bytes) != bytes.size()) {
        return false;
    }
    file.close();
    QFile::Permissions permissions = QFile::ReadOwner | QFile::WriteOwner;
    if (executable) {
        permissions |= QFile::ExeOwner;
    }
    return QFile::setPermissions(path, permissions);
}

QByteArray ReadTestFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace ym::ui
