#include "ui_test_support.h"

#include "ui/common/artwork.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
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
    const QFileInfo info(program);
    return program.contains(QLatin1Char('/')) && info.isFile() && info.isExecutable();
}

bool RecordingLauncher::openUrl(const QString& url) {
    openedUrls.append(url);
    return startSucceeds;
}

RecordingChooser::RecordingChooser() : m_previous(SetColorChooser(this)) {}

RecordingChooser::~RecordingChooser() {
    SetColorChooser(m_previous);
}

std::optional<QColor> RecordingChooser::choose(QWidget*, const QColor& initial) {
    initials << initial;
    const QColor answer = answers.isEmpty() ? QColor() : answers.takeFirst();
    return answer.isValid() ? std::optional<QColor>(answer) : std::nullopt;
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

QWidget* Focused() {
    return QApplication::focusWidget();
}

QWidget* Window(const QString& objectName) {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->objectName() == objectName && w->isVisible()) {
            return w;
        }
    }
    return nullptr;
}

QStringList Words(const char* text) {
    return QString::fromUtf8(text).split(u' ', Qt::SkipEmptyParts);
}

void Type(const QString& script, const QWidget* window) {
    for (qsizetype i = 0; i < script.size(); ++i) {
        const QChar c = script[i];
        if (c == u'[') {
            const qsizetype end = script.indexOf(u']', i);
            QWidget* target = Child(window, script.mid(i + 1, end - i - 1));
            QVERIFY2(target != nullptr, qPrintable(script.mid(i, end - i + 1)));
            QTest::mouseClick(target, Qt::LeftButton);
            i = end;
        } else if (c == u'\r') {
            QTest::keyClick(Focused(), Qt::Key_Return);
        } else if (c == u'\b') {
            QTest::keyClick(Focused(), Qt::Key_Backspace);
        } else if (c == u'\x7f') {
            QTest::keyClick(Focused(), Qt::Key_Delete);
        } else {
            QTest::keyClicks(Focused(), QString(c));
        }
    }
}

bool TriggerMenuEntry(QWidget* field, const char* entry) {
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(2, 2),
                            field->mapToGlobal(QPoint(2, 2)));
    QCoreApplication::sendEvent(field, &event);
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (menu == nullptr) {
        return false;
    }
    const QString text = QCoreApplication::translate("QLineEdit", entry);
    bool triggered = false;
    for (QAction* action : menu->actions()) {
        if (!triggered && action->text().startsWith(text) && action->isEnabled()) {
            action->trigger();
            triggered = true;
        }
    }
    menu->close();
    return triggered;
}

bool Session::load() {
    form.reset();
    state = ym::ProgramState();
    form = std::make_unique<Form1>(state);
    return form->Form_Load();
}

bool Session::start() {
    if (!load()) {
        return false;
    }
    form->show();
    form->activateWindow();
    return QTest::qWaitForWindowActive(form.get());
}

bool Session::start(const QByteArray& bytes) {
    return WriteTestFile(path(), bytes) && start();
}

QStringList Session::values(const QString& prefix, int count) const {
    QStringList texts;
    for (int i = 0; i < count; ++i) {
        texts << text(prefix + QString::number(i));
    }
    return texts;
}

void Session::click(const QString& name) const {
    QTest::mouseClick(get(name), Qt::LeftButton);
}

void Session::trade(const QString& buy, const QString& sell, const QString& quantity) const {
    field("Text1")->setFocus();
    field("Text1")->selectAll();
    Type("\b" + buy + "\r\b" + sell + "\r\b" + quantity + "\r\r");
}

bool Session::back() const {
    return form->isVisible() && form->isEnabled() && QTest::qWaitForWindowActive(form.get());
}

} // namespace ym::ui
