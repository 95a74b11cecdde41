// Starting programs, Qt's own texts in Chinese, and the single running copy's lock file.
#include "ui/common/translations.h"
#include "ui_test_support.h"

using namespace ym::ui;

class PlatformTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { InstallModalWatchdog(); }

    // The companion in the working folder when it is an executable file, under the name
    // asked for; else the first program of the list that is there. Choosing starts nothing.
    void chooseProgram() {
        TempWorkingDirectory dir;
        RecordingLauncher launcher;
        launcher.availablePrograms = Words("xcalc galculator vim");
        const QString companion = dir.filePath("quick_sum.exe");
        const auto choose = [&dir] {
            return ChooseProgram("quick_sum.exe", "Quick_sum.exe",
                                 {"gnome-calculator", "galculator", "xcalc"}, dir.path());
        };
        QCOMPARE(choose(), QStringLiteral("galculator"));
        QVERIFY(QDir().mkpath(companion)); // a folder of that name
        QCOMPARE(choose(), QStringLiteral("galculator"));
        QVERIFY(QDir().rmdir(companion) && WriteTestFile(companion, "#!/bin/sh\n"));
        QCOMPARE(choose(), QStringLiteral("galculator")); // not executable
        QVERIFY(WriteTestFile(companion, "#!/bin/sh\n", true));
        QCOMPARE(choose(), dir.filePath("Quick_sum.exe"));
        // Programs that are there but not in the list do not count.
        QCOMPARE(ChooseProgram("notes.exe", "", {"gedit"}, dir.path()), QString());
        QVERIFY(launcher.starts.isEmpty());
    }

    // The tool button asks for "Quick_sum.exe"; the file is "quick_sum.exe". The real
    // launcher starts it in the folder it is given.
    void realLauncher() {
        TempWorkingDirectory dir;
        QTemporaryDir elsewhere;
        QVERIFY(WriteTestFile(dir.filePath("notes.txt"), "#!/bin/sh\n"));
        QVERIFY(WriteTestFile(dir.filePath("quick_sum.exe"), "#!/bin/sh\npwd > here.txt\n", true));
        QVERIFY(Launcher().available("sh") && !Launcher().available(dir.filePath("notes.txt")));
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
};

QTEST_MAIN(PlatformTest)
#include "platform_test.moc"
