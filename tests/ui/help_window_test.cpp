// The help viewer: opened at the top of its page, brought forward unchanged when asked for
// again, and opened anew however it was closed, even at once after closing.
#include "ui_test_support.h"

using namespace ym::ui;

namespace {

QPlainTextEdit* Page(QWidget* viewer) {
    return Child<QPlainTextEdit>(viewer, "Text1");
}

QScrollBar* Scroll(QWidget* viewer) {
    return Page(viewer)->verticalScrollBar();
}

} // namespace

class HelpWindowTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { InstallModalWatchdog(); }
    void cleanup() {
        if (HelpWindow* viewer = HelpWindow::Instance()) {
            viewer->close();
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // Opened at the top of a long page, the page focused; asked for again, the same viewer
    // comes forward unchanged.
    void opensAtTheTopAndComesBackUnchanged() {
        HelpWindow* viewer = HelpWindow::ShowHelp(nullptr);
        QVERIFY(QTest::qWaitForWindowActive(viewer));
        QCOMPARE(Focused(), Page(viewer));
        QCOMPARE(Scroll(viewer)->value(), 0);
        QVERIFY(Scroll(viewer)->maximum() > 0);
        QTest::keyClick(Page(viewer), Qt::Key_Tab);
        QCOMPARE(Focused(), Child(viewer, "Command2"));
        Scroll(viewer)->setValue(Scroll(viewer)->maximum());
        QCOMPARE(HelpWindow::ShowHelp(nullptr), viewer);
        // Not loaded again: a fresh load would have put the page back at its top.
        QCOMPARE(Scroll(viewer)->value(), Scroll(viewer)->maximum());
        // F1 inside the viewer opens nothing more.
        QTest::keyClick(Page(viewer), Qt::Key_F1);
        QCOMPARE(HelpWindow::Instance(), viewer);
    }

    void reopenedAtOnceAfterClosing_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("click") << "click";
        QTest::newRow("alt+x") << "alt+x";
        QTest::newRow("close box") << "close";
    }
    void reopenedAtOnceAfterClosing() {
        QFETCH(QString, how);
        QPointer<HelpWindow> first = HelpWindow::ShowHelp(nullptr);
        QVERIFY(QTest::qWaitForWindowActive(first));
        Scroll(first)->setValue(Scroll(first)->maximum());
        if (how == "click") {
            QTest::mouseClick(Child(first, "Command2"), Qt::LeftButton);
        } else if (how == "alt+x") {
            QTest::keyClick(Page(first), Qt::Key_X, Qt::AltModifier);
        } else {
            first->close();
        }
        // Alt+X clicks the button a moment later, as any access key does.
        QTRY_VERIFY(first.isNull() || !first->isVisible());
        // F1 at once after closing, before the closed viewer is gone, opens a new one that
        // stays.
        QVERIFY(HelpWindow::Instance() == nullptr);
        HelpWindow* again = HelpWindow::ShowHelp(nullptr);
        QVERIFY(again != first.data());
        QVERIFY(QTest::qWaitForWindowActive(again));
        QTRY_VERIFY(first.isNull());
        QVERIFY(again->isVisible());
        QCOMPARE(Scroll(again)->value(), 0);
        QCOMPARE(Focused(), Page(again));
    }
};

QTEST_MAIN(HelpWindowTest)
#include "help_window_test.moc"
