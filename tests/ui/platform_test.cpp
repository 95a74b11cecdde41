// Starting programs, Qt's own texts in Chinese, and the single running copy: its lock
// file and the program ending at once when another copy runs.
#include "ui/common/translations.h"
#include "ui_test_support.h"

using namespace ym::ui;

namespace {

// `companion` is put in the working folder as an executable file ("x"), a plain file
// ("f") or a folder ("d"), or not at all (""); `available` are the desktop programs there.
struct ChoiceCase {
    const char *name, *companion, *startName, *available, *chosen;
};

} // namespace

Q_DECLARE_METATYPE(ChoiceCase)

class PlatformTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { InstallModalWatchdog(); }

    // The companion in the working folder (in the exact spelling found there), else the
    // first desktop calculator of the list that is there.
    void chooseProgram_data() {
        const ChoiceCase cases[] = {
            {"companion, spelled as asked", "x", "quick_sum.exe", "kcalc", "quick_sum.exe"},
            {"companion, spelled otherwise", "x", "Quick_sum.exe", "kcalc", "Quick_sum.exe"},
            {"companion not executable", "f", "quick_sum.exe", "kcalc", "kcalc"},
            {"folder of that name", "d", "Quick_sum.exe", "xcalc", "xcalc"},
            {"first of the list that is there", "", "quick_sum.exe", "xcalc galculator",
             "galculator"},
            {"programs not in the list do not count", "", "quick_sum.exe", "vim", ""},
        };
        AddCaseRows(cases);
    }
    void chooseProgram() {
        QFETCH(ChoiceCase, c);
        TempWorkingDirectory dir;
        const QString companion = dir.filePath("quick_sum.exe");
        QVERIFY(*c.companion != 'd' || QDir().mkpath(companion));
        QVERIFY(*c.companion == 'd' || *c.companion == '\0' ||
                WriteTestFile(companion, "#!/bin/sh\n", *c.companion == 'x'));
        RecordingLauncher launcher;
        launcher.availablePrograms = Words(c.available);
        const QString chosen =
            ChooseProgram("quick_sum.exe", c.startName,
                          {"gnome-calculator", "kcalc", "galculator", "xcalc"}, dir.path());
        const QString inFolder = QDir(dir.path()).absoluteFilePath(c.chosen);
        QCOMPARE(chosen, *c.companion == 'x' ? inFolder : QString(c.chosen));
        QVERIFY(launcher.starts.isEmpty()); // choosing starts nothing
    }

    // The tool button asks for "Quick_sum.exe"; the file is "quick_sum.exe". The real
    // launcher starts it in the folder it is given.
    void realLauncher() {
        TempWorkingDirectory dir;
        QTemporaryDir elsewhere;
        QVERIFY(WriteTestFile(dir.filePath("notes.txt"), "#!/bin/sh\n"));
        QVERIFY(WriteTestFile(dir.filePath("quick_sum.exe"), "#!/bin/sh\npwd > here.txt\n", true));
        QVERIFY(Launcher().available("sh"));
        QVERIFY(!Launcher().available("no-such-program-yuanmate"));
        QVERIFY(!Launcher().available(dir.filePath("notes.txt")));
        QVERIFY(!Launcher().start("/nonexistent/quick_sum.exe", QDir::tempPath()));
        const QString program = ChooseProgram("quick_sum.exe", "Quick_sum.exe", {}, dir.path());
        QVERIFY(Launcher().start(program, elsewhere.path()));
        const QString marker = QDir(elsewhere.path()).filePath("here.txt");
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(marker).size() > 0, 10000);
        QCOMPARE(QDir(QString::fromLocal8Bit(ReadTestFile(marker)).trimmed()).canonicalPath(),
                 QDir(elsewhere.path()).canonicalPath());
    }

    // Qt's own texts speak Chinese like the rest of the windows.
    void qtTextsAreChinese() {
        QVERIFY(InstallQtTranslation());
        QMessageBox box;
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        QCOMPARE(box.button(QMessageBox::Ok)->text(), QStringLiteral("确定"));
        QCOMPARE(box.button(QMessageBox::Cancel)->text(), QStringLiteral("取消"));
        QVERIFY(QCoreApplication::translate("QLineEdit", "&Paste").contains("粘贴"));
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
        QTest::newRow("another host") << "$pid\n" + app + "\nsome-other-host\n" << true;
    }
    void leftOverLocks() {
        QFETCH(QString, contents);
        QFETCH(bool, acquired);
        const QString name =
            QStringLiteral("yuanmate-test-%1.lock").arg(QUuid::createUuid().toString());
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
        contents.replace("$pid", QString::number(QCoreApplication::applicationPid()));
        contents.replace("$gone", gone);
        QVERIFY(WriteTestFile(path, contents.toUtf8()));

        auto next = std::make_unique<SingleInstance>(name);
        QCOMPARE(next->acquired(), acquired);
        if (acquired) {
            // The lock is ours now: a copy started after us is refused, and refused
            // without taking the lock away, until we end.
            QVERIFY(!SingleInstance(name).acquired());
            QVERIFY(!SingleInstance(name).acquired());
            next.reset();
            QVERIFY(SingleInstance(name).acquired());
        } else {
            QCOMPARE(ReadTestFile(path), contents.toUtf8()); // left as it was
        }
    }

    // The program itself: a second copy ends at once, reading and creating nothing.
    void secondCopyEndsAtOnce() {
        const QString program =
            QDir(QCoreApplication::applicationDirPath()).filePath("../../app/yuanmate");
        QVERIFY2(QFileInfo(program).isExecutable(), qPrintable(program));
        QTemporaryDir runtime, firstDir, secondDir;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_RUNTIME_DIR", runtime.path());
        env.insert("QT_QPA_PLATFORM", "offscreen");
        QProcess first, second;
        for (auto [process, dir] : {std::pair{&first, &firstDir}, std::pair{&second, &secondDir}}) {
            process->setProcessEnvironment(env);
            process->setWorkingDirectory(dir->path());
        }
        first.start(program, {});
        // Running once its settings file is there.
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(firstDir.filePath(kSettingsFile)), 10000);
        second.start(program, {});
        QVERIFY(second.waitForFinished(10000));
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
        QVERIFY(!QFileInfo::exists(secondDir.filePath(kSettingsFile)));
        QCOMPARE(first.state(), QProcess::Running);
        first.kill();
        QVERIFY(first.waitForFinished(10000));
    }
};

QTEST_MAIN(PlatformTest)
#include "platform_test.moc"
