// Starting programs, message boxes, mail links and the single running copy.
#include "ui/common/message_box.h"
#include "ui/common/platform.h"
#include "ui/common/translations.h"
#include "ui_test_support.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
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
    default:
        return WriteTestFile(path, "#!/bin/sh\n", kind == Companion::Executable);
    }
}

// `startName` is the name asked for, `expectedInDir` the exact name chosen in the working
// directory, or else `expected` the fallback chosen (or empty).
struct ChoiceCase {
    const char* name;
    Companion companion;
    const char *companionName, *startName;
    bool calculator; // else the editors are the fallbacks
    const char *available, *expectedInDir, *expected;
};

QString UniqueLockName() {
    return QStringLiteral("yuanmate-test-%1.lock")
        .arg(QUuid::createUuid().toString(QUuid::WithoutBraces));
}

} // namespace

Q_DECLARE_METATYPE(ChoiceCase)

class PlatformTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { InstallModalWatchdog(); }

    void chooseProgram_data() {
        const ChoiceCase cases[] = {
            {"companion from the key", Companion::Executable, "quick_sum.exe", "quick_sum.exe",
             true, "kcalc", "quick_sum.exe", ""},
            {"companion from the tool button", Companion::Executable, "quick_sum.exe",
             "Quick_sum.exe", true, "kcalc", "Quick_sum.exe", ""},
            {"companion present though no desktop program", Companion::Executable,
             "Tradelog_pad.exe", "Tradelog_pad.exe", false, "", "Tradelog_pad.exe", ""},
            {"companion not executable", Companion::PlainFile, "quick_sum.exe", "quick_sum.exe",
             true, "kcalc", "", "kcalc"},
            {"folder of that name", Companion::Folder, "quick_sum.exe", "Quick_sum.exe", true,
             "xcalc", "", "xcalc"},
            {"absent: first of the list that is there", Companion::Absent, "quick_sum.exe",
             "quick_sum.exe", true, "xcalc galculator", "", "galculator"},
            {"absent: programs not in the list do not count", Companion::Absent, "Tradelog_pad.exe",
             "Tradelog_pad.exe", false, "kcalc vim", "", ""},
            {"absent: nothing at all", Companion::Absent, "quick_sum.exe", "quick_sum.exe", true,
             "", "", ""},
        };
        AddCaseRows(cases);
    }
    void chooseProgram() {
        QFETCH(ChoiceCase, c);
        const QStringList calculators = {"gnome-calculator", "kcalc", "galculator", "qalculate-gtk",
                                         "xcalc"};
        const QStringList editors = {"gnome-text-editor", "gedit", "kate", "mousepad"};
        TempWorkingDirectory dir;
        QVERIFY(MakeCompanion(dir.filePath(c.companionName), c.companion));
        RecordingLauncher launcher;
        launcher.availablePrograms = QString(c.available).split(u' ', Qt::SkipEmptyParts);

        const QString chosen = ChooseProgram(c.companionName, c.startName,
                                             c.calculator ? calculators : editors, dir.path());
        if (*c.expectedInDir != '\0') {
            QCOMPARE(QFileInfo(chosen).fileName(), QString(c.expectedInDir)); // exact spelling
            QCOMPARE(QFileInfo(chosen).absolutePath(), QFileInfo(dir.path()).absoluteFilePath());
        } else {
            QCOMPARE(chosen, QString(c.expected));
        }
        QVERIFY(launcher.starts.isEmpty()); // choosing starts nothing
    }

    void realLauncherAvailabilityAndFailure() {
        TempWorkingDirectory dir;
        QVERIFY(WriteTestFile(dir.filePath("notes.txt"), "#!/bin/sh\n"));
        QVERIFY(WriteTestFile(dir.filePath("tool"), "#!/bin/sh\n", true));
        const std::pair<QString, bool> cases[] = {
            {"sh", true},
            {"/bin/sh", true},
            {"no-such-program-yuanmate", false},
            {"/nonexistent/quick_sum.exe", false},
            {"/tmp", false},
            {"", false},
            {dir.filePath("notes.txt"), false},
            {dir.filePath("tool"), true},
        };
        for (const auto& [program, expected] : cases) {
            QVERIFY2(Launcher().available(program) == expected, qPrintable(program));
        }
        QVERIFY(!Launcher().start("/nonexistent/quick_sum.exe", QDir::tempPath()));
    }

    // The tool button asks for "Quick_sum.exe"; the file is "quick_sum.exe".
    void realLauncherStartsInTheWorkingDirectory() {
        TempWorkingDirectory dir;
        QTemporaryDir elsewhere;
        QVERIFY(WriteTestFile(dir.filePath("quick_sum.exe"), "#!/bin/sh\npwd > started-here.txt\n",
                              true));
        const QString program = ChooseProgram("quick_sum.exe", "Quick_sum.exe", {}, dir.path());
        QVERIFY(!program.isEmpty());
        QVERIFY(Launcher().start(program, elsewhere.path()));
        const QString marker = QDir(elsewhere.path()).filePath("started-here.txt");
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(marker).size() > 0, 10000);
        QFile file(marker);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(QDir(QString::fromLocal8Bit(file.readAll()).trimmed()).canonicalPath(),
                 QDir(elsewhere.path()).canonicalPath());
    }

    void mailLink() {
        RecordingLauncher launcher;
        QVERIFY(OpenMailTo("support@yuanmate.example"));
        QVERIFY(OpenMailTo("mailto:support@yuanmate.example"));
        QCOMPARE(launcher.openedUrls, QStringList(2, "mailto:support@yuanmate.example"));
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

    void messageTitlesButtonsAndAnswers() {
        MessageSink* before = &Messages();
        const QString text = QStringLiteral("  ## Error save select!6004");
        {
            RecordingMessages recorder;
            QCOMPARE(&Messages(), static_cast<MessageSink*>(&recorder));
            QCOMPARE(ShowWarning(nullptr, text), MessageAnswer::Ok);
            QCOMPARE(ShowNotice(nullptr, text, MessageButtons::OkCancel), MessageAnswer::Ok);
            recorder.answer = MessageAnswer::Cancel;
            QCOMPARE(ShowNotice(nullptr, text, MessageButtons::OkCancel), MessageAnswer::Cancel);
            QCOMPARE(ShowAppMessage(nullptr, text), MessageAnswer::Ok);
            const QStringList titles{"警告", "提示", "提示", "交易小算盘Yuanmate V5.5"};
            const MessageButtons buttons[] = {MessageButtons::Ok, MessageButtons::OkCancel,
                                              MessageButtons::OkCancel, MessageButtons::Ok};
            QCOMPARE(recorder.messages.size(), 4);
            for (int i = 0; i < 4; ++i) {
                QCOMPARE(recorder.messages.at(i).title, titles.at(i));
                QCOMPARE(recorder.messages.at(i).text, text); // blanks kept
                QCOMPARE(recorder.messages.at(i).buttons, buttons[i]);
            }
        }
        QCOMPARE(&Messages(), before);
    }

    // Qt's own texts speak Chinese like the rest of the windows.
    void qtTextsAreChinese() {
        QVERIFY(InstallQtTranslation());
        QMessageBox box;
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        QCOMPARE(box.button(QMessageBox::Ok)->text(), QStringLiteral("确定"));
        QCOMPARE(box.button(QMessageBox::Cancel)->text(), QStringLiteral("取消"));
        QVERIFY(
            QCoreApplication::translate("QLineEdit", "&Paste").contains(QStringLiteral("粘贴")));
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

    // What a lock file may hold when the program starts; only a running copy's lock
    // refuses the start. "$pid" is a running process, "$gone" one that has ended.
    void leftOverLocks_data() {
        QTest::addColumn<QString>("contents");
        QTest::addColumn<bool>("acquired");
        const QString app = QCoreApplication::applicationName();
        const QString host = QSysInfo::machineHostName();
        QTest::newRow("a running copy") << "$pid\n" + app + "\n" + host + "\n" << false;
        QTest::newRow("a crashed copy") << "$gone\n" + app + "\n" + host + "\n" << true;
        QTest::newRow("empty") << QString() << true;
        QTest::newRow("garbage") << "\xff\xfe lock?\n\n" << true;
        QTest::newRow("cut short") << "$pid" << true;
        QTest::newRow("another host") << "$pid\n" + app + "\nsome-other-host\n" << true;
        QTest::newRow("another program") << "$pid\nsome-other-program\n" + host + "\n" << true;
    }
    void leftOverLocks() {
        QFETCH(QString, contents);
        QFETCH(bool, acquired);
        const QString name = UniqueLockName();
        QString path;
        {
            SingleInstance probe(name);
            QVERIFY(probe.acquired());
            path = probe.lockPath();
        }
        QProcess child;
        child.start("sh", {"-c", "echo $$"});
        QVERIFY(child.waitForFinished(10000));
        const QString gone = QString::fromUtf8(child.readAllStandardOutput().trimmed());
        QVERIFY(!gone.isEmpty());
        contents.replace("$pid", QString::number(QCoreApplication::applicationPid()));
        contents.replace("$gone", gone);
        QVERIFY(WriteTestFile(path, contents.toUtf8()));

        SingleInstance next(name);
        QCOMPARE(next.acquired(), acquired);
        if (acquired) {
            // The lock is ours now, and a copy started after us is refused.
            SingleInstance another(name);
            QVERIFY(!another.acquired());
        } else {
            QCOMPARE(QFile(path).size(), contents.toUtf8().size()); // left as it was
        }
    }
};

QTEST_MAIN(PlatformTest)
#include "platform_test.moc"
