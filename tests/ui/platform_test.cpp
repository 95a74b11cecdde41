// Starting programs, message boxes, mail links and the single running copy.
#include "ui/common/message_box.h"
#include "ui/common/platform.h"
#include "ui_test_support.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QProcess>
#include <QSysInfo>
#include <QUuid>
#include <QWidget>
#include <QtTest>
#include <memory>

using namespace ym::ui;

namespace {

enum class Companion { Absent, Executable, PlainFile, Folder };

bool MakeCompanion(const QString& path, Companion kind) {
    switch (kind) {
    case Companion::Absent:
        return true;
    case Companion::Folder:
        return QDir().mkpath(path) &&
               QFile::setPermissions(path, QFile::permissions(path) | QFile::ExeOwner);
    case Companion::Executable:
    case Companion::PlainFile: {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly)) {
            return false;
        }
        file.write("#!/bin/sh\n");
        file.close();
        QFile::Permissions perms = QFile::ReadOwner | QFile::WriteOwner;
        if (kind == Companion::Executable) {
            perms |= QFile::ExeOwner;
        }
        return QFile::setPermissions(path, perms);
    }
    }
    return false;
}

bool WriteScript(const QString& path, const QByteArray& body) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return false;
    }
    file.write("#!/bin/sh\n" + body + "\n");
    file.close();
    return QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

QString UniqueLockName() {
    return QStringLiteral("yuanmate-test-%1.lock")
        .arg(QUuid::createUuid().toString(QUuid::WithoutBraces));
}

} // namespace

Q_DECLARE_METATYPE(Companion)

class PlatformTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { InstallModalWatchdog(); }

    void chooseProgram_data() {
        QTest::addColumn<Companion>("companion");
        QTest::addColumn<QString>("companionName");
        QTest::addColumn<QString>("startName");
        QTest::addColumn<QStringList>("fallbacks");
        QTest::addColumn<QStringList>("available");
        QTest::addColumn<QString>("expectedInDir"); // a name in the working directory
        QTest::addColumn<QString>("expected");      // or a fallback (or empty)

        const QStringList calculators = {"gnome-calculator", "kcalc", "galculator", "qalculate-gtk",
                                         "xcalc"};
        const QStringList editors = {"gnome-text-editor", "gedit", "kate", "mousepad"};
        QTest::newRow("companion calculator from the key")
            << Companion::Executable << "quick_sum.exe"
            << "quick_sum.exe" << calculators << QStringList{"kcalc"} << "quick_sum.exe"
            << "";
        QTest::newRow("companion calculator from the tool button")
            << Companion::Executable << "quick_sum.exe"
            << "Quick_sum.exe" << calculators << QStringList{"kcalc"} << "Quick_sum.exe"
            << "";
        QTest::newRow("companion notebook")
            << Companion::Executable << "Tradelog_pad.exe"
            << "Tradelog_pad.exe" << editors << QStringList{"gedit"} << "Tradelog_pad.exe"
            << "";
        QTest::newRow("companion present though no desktop program")
            << Companion::Executable << "quick_sum.exe"
            << "quick_sum.exe" << calculators << QStringList{} << "quick_sum.exe"
            << "";
        QTest::newRow("companion not executable")
            << Companion::PlainFile << "quick_sum.exe"
            << "quick_sum.exe" << calculators << QStringList{"kcalc"} << ""
            << "kcalc";
        QTest::newRow("folder of that name")
            << Companion::Folder << "quick_sum.exe"
            << "Quick_sum.exe" << calculators << QStringList{"xcalc"} << ""
            << "xcalc";
        QTest::newRow("absent: first of the list that is there")
            << Companion::Absent << "quick_sum.exe"
            << "quick_sum.exe" << calculators << QStringList{"xcalc", "galculator"} << ""
            << "galculator";
        QTest::newRow("absent: the list's first") << Companion::Absent << "Tradelog_pad.exe"
                                                  << "Tradelog_pad.exe" << editors << editors << ""
                                                  << "gnome-text-editor";
        QTest::newRow("absent: programs not in the list do not count")
            << Companion::Absent << "Tradelog_pad.exe"
            << "Tradelog_pad.exe" << editors << QStringList{"kcalc", "vim"} << ""
            << "";
        QTest::newRow("absent: nothing at all")
            << Companion::Absent << "quick_sum.exe"
            << "quick_sum.exe" << calculators << QStringList{} << ""
            << "";
    }
    void chooseProgram() {
        QFETCH(Companion, companion);
        QFETCH(QString, companionName);
        QFETCH(QString, startName);
        QFETCH(QStringList, fallbacks);
        QFETCH(QStringList, available);
        QFETCH(QString, expectedInDir);
        QFETCH(QString, expected);
        TempWorkingDirectory dir;
        QVERIFY(dir.isValid());
        QVERIFY(MakeCompanion(dir.filePath(companionName), companion));
        RecordingLauncher launcher;
        launcher.availablePrograms = available;

        const QString chosen = ChooseProgram(companionName, startName, fallbacks, dir.path());
        if (!expectedInDir.isEmpty()) {
            QCOMPARE(QFileInfo(chosen).fileName(), expectedInDir); // exactly this spelling
            QCOMPARE(QFileInfo(chosen).absolutePath(), QFileInfo(dir.path()).absoluteFilePath());
        } else {
            QCOMPARE(chosen, expected);
        }
        QVERIFY(launcher.starts.isEmpty()); // choosing starts nothing
    }

    void realLauncherAvailability_data() {
        QTest::addColumn<QString>("program");
        QTest::addColumn<bool>("expected");
        QTest::newRow("name on the search path") << "sh" << true;
        QTest::newRow("absolute path") << "/bin/sh" << true;
        QTest::newRow("unknown name") << "no-such-program-yuanmate" << false;
        QTest::newRow("missing path") << "/nonexistent/quick_sum.exe" << false;
        QTest::newRow("a folder") << "/tmp" << false;
        QTest::newRow("empty") << "" << false;
    }
    void realLauncherAvailability() {
        QFETCH(QString, program);
        QFETCH(bool, expected);
        QCOMPARE(Launcher().available(program), expected);
    }

    void realLauncherPlainFileIsNotAvailable() {
        TempWorkingDirectory dir;
        QVERIFY(MakeCompanion(dir.filePath("notes.txt"), Companion::PlainFile));
        QVERIFY(!Launcher().available(dir.filePath("notes.txt")));
        QVERIFY(MakeCompanion(dir.filePath("tool"), Companion::Executable));
        QVERIFY(Launcher().available(dir.filePath("tool")));
    }

    void realLauncherStartsInTheWorkingDirectory_data() {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("startAs");
        QTest::newRow("exact name") << "quick_sum.exe"
                                    << "quick_sum.exe";
        // The tool button asks for "Quick_sum.exe"; the file is "quick_sum.exe".
        QTest::newRow("other capitalisation") << "quick_sum.exe"
                                              << "Quick_sum.exe";
    }
    void realLauncherStartsInTheWorkingDirectory() {
        QFETCH(QString, fileName);
        QFETCH(QString, startAs);
        TempWorkingDirectory dir;
        QTemporaryDir elsewhere;
        QVERIFY(WriteScript(dir.filePath(fileName), "pwd > started-here.txt"));
        const QString program = ChooseProgram("quick_sum.exe", startAs, {}, dir.path());
        QVERIFY(!program.isEmpty());
        QVERIFY(Launcher().start(program, elsewhere.path()));
        const QString marker = QDir(elsewhere.path()).filePath("started-here.txt");
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(marker).size() > 0, 10000);
        QFile file(marker);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(QDir(QString::fromLocal8Bit(file.readAll()).trimmed()).canonicalPath(),
                 QDir(elsewhere.path()).canonicalPath());
    }

    void realLauncherReportsFailure() {
        QVERIFY(!Launcher().start("/nonexistent/quick_sum.exe", QDir::tempPath()));
    }

    void recordingLauncherIsPutInPlaceAndRemoved() {
        ProgramLauncher* before = &Launcher();
        {
            RecordingLauncher launcher;
            launcher.startSucceeds = false;
            QCOMPARE(&Launcher(), static_cast<ProgramLauncher*>(&launcher));
            QVERIFY(!Launcher().start("kcalc", "/tmp"));
            QCOMPARE(launcher.starts.size(), 1);
            QCOMPARE(launcher.starts.at(0).program, QStringLiteral("kcalc"));
            QCOMPARE(launcher.starts.at(0).workingDirectory, QStringLiteral("/tmp"));
        }
        QCOMPARE(&Launcher(), before);
    }

    void mailLink_data() {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("url");
        QTest::newRow("bare address") << "support@yuanmate.example"
                                      << "mailto:support@yuanmate.example";
        QTest::newRow("already a link") << "mailto:support@yuanmate.example"
                                        << "mailto:support@yuanmate.example";
    }
    void mailLink() {
        QFETCH(QString, address);
        QFETCH(QString, url);
        RecordingLauncher launcher;
        QVERIFY(OpenMailTo(address));
        QCOMPARE(launcher.openedUrls, QStringList{url});
        QVERIFY(launcher.starts.isEmpty());
    }

    void keepOnTopKeepsTheWindowShown() {
        QWidget window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        KeepOnTop(&window);
        QVERIFY(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(window.isVisible());
        KeepOnTop(nullptr); // no window, no crash
    }

    void messages_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("buttons");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("expectedTitle");
        QTest::addColumn<int>("expectedAnswer");
        const int ok = int(MessageButtons::Ok), okCancel = int(MessageButtons::OkCancel);
        const int yes = int(MessageAnswer::Ok), no = int(MessageAnswer::Cancel);
        QTest::newRow("warning") << 0 << ok << yes << "警告" << yes;
        QTest::newRow("warning cannot be cancelled") << 0 << ok << no << "警告" << yes;
        QTest::newRow("notice") << 1 << ok << yes << "提示" << yes;
        QTest::newRow("question answered OK") << 1 << okCancel << yes << "提示" << yes;
        QTest::newRow("question cancelled") << 1 << okCancel << no << "提示" << no;
        QTest::newRow("application title") << 2 << ok << yes << "交易小算盘Yuanmate V5.5" << yes;
    }
    void messages() {
        QFETCH(int, kind);
        QFETCH(int, buttons);
        QFETCH(int, answer);
        QFETCH(QString, expectedTitle);
        QFETCH(int, expectedAnswer);
        MessageSink* before = &Messages();
        MessageAnswer got;
        const QString text = QStringLiteral("  ## Error save select!6004");
        {
            RecordingMessages recorder;
            recorder.answer = MessageAnswer(answer);
            QCOMPARE(&Messages(), static_cast<MessageSink*>(&recorder));
            switch (kind) {
            case 0:
                got = ShowWarning(nullptr, text);
                break;
            case 1:
                got = ShowNotice(nullptr, text, MessageButtons(buttons));
                break;
            default:
                got = ShowAppMessage(nullptr, text);
                break;
            }
            QCOMPARE(recorder.messages.size(), 1);
            QCOMPARE(recorder.messages.at(0).title, expectedTitle);
            QCOMPARE(recorder.messages.at(0).text, text); // blanks kept
            QCOMPARE(int(recorder.messages.at(0).buttons), buttons);
        }
        QCOMPARE(int(got), expectedAnswer);
        QCOMPARE(&Messages(), before);
    }

    void secondCopyIsRefused() {
        const QString name = UniqueLockName();
        auto first = std::make_unique<SingleInstance>(name);
        QVERIFY(first->acquired());
        QVERIFY(QFileInfo::exists(first->lockPath()));
        {
            SingleInstance second(name);
            QVERIFY(!second.acquired());
            QCOMPARE(second.lockPath(), first->lockPath());
        }
        // The refused copy must not have removed the lock of the running one.
        QVERIFY(QFileInfo::exists(first->lockPath()));
        SingleInstance third(name);
        QVERIFY(!third.acquired());
        first.reset();
        SingleInstance afterExit(name);
        QVERIFY(afterExit.acquired());
    }

    void lockOfAVanishedCopyIsTakenOver() {
        const QString name = UniqueLockName();
        QString path;
        {
            SingleInstance probe(name);
            QVERIFY(probe.acquired());
            path = probe.lockPath();
        }
        // A lock file as a crashed copy leaves it: the id of a process that has ended.
        QProcess child;
        child.start("sh", {"-c", "echo $$"});
        QVERIFY(child.waitForFinished(10000));
        const QByteArray pid = child.readAllStandardOutput().trimmed();
        QVERIFY(!pid.isEmpty());
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(pid + "\n" + QCoreApplication::applicationName().toUtf8() + "\n" +
                   QSysInfo::machineHostName().toUtf8() + "\n");
        file.close();
        QVERIFY(QFileInfo::exists(path));

        SingleInstance next(name);
        QVERIFY(next.acquired());
        // And the running copy's own lock is not stale, however old.
        SingleInstance another(name);
        QVERIFY(!another.acquired());
    }
};

QTEST_MAIN(PlatformTest)
#include "platform_test.moc"
