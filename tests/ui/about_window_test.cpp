// The about window over the main window: opening it, the slogans rolling up tick by tick,
// the hover frames and the link, and every way out giving the main window back.

// The mouse is moved through the window system to the window of the widget aimed at: the
// about window lies over the main window, and moving the cursor alone would reach the
// main window under it.
#define QTEST_QPA_MOUSE_HANDLING
#include "ui/common/twips.h"
#include "ui/help/about_window.h"
#include "ui_test_support.h"

#include <cmath>

using namespace ym::ui;

namespace {

constexpr int kRollTicks = 2945;

// The about tool button; the about window it opened, active.
AboutWindow* OpenAbout(const Session& s) {
    s.click("Command6_4");
    AboutWindow* about = AboutWindow::Instance();
    return about != nullptr && QTest::qWaitForWindowActive(about) ? about : nullptr;
}

// One tick of the timer, as if its interval had passed.
void Tick(QTimer* timer) {
    QMetaObject::invokeMethod(timer, "timeout");
}

// Steps a user takes, separated by blanks: "<Name>" rests the mouse on a control (the
// background on an empty spot), "*" closes the window as the window system does (Alt+F4),
// "~" switches to another window and back, anything else is a Type() script.
void Act(AboutWindow* about, const QString& steps) {
    for (const QString& step : steps.split(u' ', Qt::SkipEmptyParts)) {
        QWidget* target = Child(about, step.mid(1, step.size() - 2));
        if (step.startsWith(u'<')) {
            QTest::mouseMove(target, step == "<Picture1>" ? QPoint(8, target->height() / 2)
                                                          : target->rect().center());
        } else if (step == "*") {
            about->windowHandle()->close();
        } else if (step == "~") {
            QWidget other;
            other.show();
            other.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&other));
            about->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(about));
        } else {
            Type(step, about);
        }
    }
}

// `framed`: the button field left with its hover frame and the focus, or "".
struct WayCase {
    const char *name, *steps;
    bool staysOpen, helpOpens;
    const char* framed = "";
};

} // namespace

Q_DECLARE_METATYPE(WayCase)

class AboutWindowTest : public SessionTest {
    Q_OBJECT

private slots:
    void cleanup() {
        SessionTest::cleanup();
        SetPixelsPerTwipForTesting(0);
    }

    void opensOnceOverTheDisabledMainWindowAndMailsSupport() {
        QTest::keyClick(Focused(), Qt::Key_F6);
        AboutWindow* about = AboutWindow::Instance();
        QVERIFY(about != nullptr);
        QVERIFY(QTest::qWaitForWindowActive(about));
        QVERIFY(!s->form->isEnabled());
        QVERIFY(about->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        // Both ways again while it is open bring the same window forward.
        s->form->handleKey(Qt::Key_F6);
        s->form->toolButtonClicked(4);
        QCOMPARE(AboutWindow::Instance(), about);
        QCOMPARE(s->form->findChildren<AboutWindow*>().size(), 1);
        // The link starts a mail to support; when no mail program starts, it says where to
        // write, and the window stays.
        QTest::mouseClick(Child(about, "Label6"), Qt::LeftButton);
        QCOMPARE(s->launcher.openedUrls, QStringList{"mailto:support@yuanmate.example"});
        QVERIFY(s->shown().isEmpty());
        s->launcher.startSucceeds = false;
        QTest::mouseClick(Child(about, "Label6"), Qt::LeftButton);
        QCOMPARE(s->shown().size(), 1);
        QVERIFY(s->shown().front().contains("support@yuanmate.example"));
        QCOMPARE(AboutWindow::Instance(), about);
        QVERIFY(!s->form->isEnabled());
    }

    // The panel grows one twip a tick from a fixed bottom edge to its stop, at one pixel
    // per twip (every tick shows) and at the usual screen resolutions.
    void slogansRollUpToTheirStop_data() {
        QTest::addColumn<double>("pixelsPerTwip");
        QTest::newRow("one pixel per twip") << 1.0;
        QTest::newRow("96 dpi") << 1.0 / 15;
        QTest::newRow("144 dpi") << 1.0 / 10;
    }

    void slogansRollUpToTheirStop() {
        QFETCH(double, pixelsPerTwip);
        SetPixelsPerTwipForTesting(pixelsPerTwip);
        // Opened without returning to the event loop, so the timer cannot tick on its own.
        s->form->toolButtonClicked(4);
        QWidget* frame = Child(AboutWindow::Instance(), "Frame1");
        auto* timer = Child<QTimer>(AboutWindow::Instance(), "Timer1");
        const auto px = [&](double twips) {
            return static_cast<int>(std::lround(twips * pixelsPerTwip));
        };
        const int bottom = px(4020);
        QCOMPARE(frame->height(), 0);
        int ticks = 0;
        for (int top = frame->y(); timer->isActive() && ticks <= 2 * kRollTicks; ++ticks) {
            Tick(timer);
            QCOMPARE(frame->y() + frame->height(), bottom);
            QVERIFY(frame->y() == top || frame->y() == top - 1);
            top = frame->y();
        }
        QCOMPARE(ticks, kRollTicks);
        QCOMPARE(frame->y(), px(1075));
    }

    void closingMidRollAndReopeningStartsCollapsed() {
        QPointer<AboutWindow> first = OpenAbout(*s);
        QVERIFY(first != nullptr);
        for (int i = 0; i < 300; ++i) {
            Tick(Child<QTimer>(first, "Timer1"));
        }
        Act(first, "{O}");
        // Reopened before the closed window is gone.
        s->form->toolButtonClicked(4);
        AboutWindow* second = AboutWindow::Instance();
        QVERIFY(second != nullptr && second != first);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(first.isNull());
        QVERIFY(second->isVisible());
        QCOMPARE(Child(second, "Frame1")->height(), 0);
        QVERIFY(Child<QTimer>(second, "Timer1")->isActive());
        QVERIFY(!s->form->isEnabled());
    }

    // With the slogans rolled up, so that every part of the window is under the mouse.
    // Resting on a button field frames it and gives it the focus; on the link, lights it.
    void waysOutAndHover_data() {
        const WayCase cases[] = {
            {"O", "{O}", false, false},
            {"Alt+O", "{Alt+O}", false, false},
            {"click confirm", "[Text1]", false, false},
            {"click help", "[Text2]", false, true},
            {"F1", "{F1}", false, true},
            {"Enter on the hovered confirm", "<Text1> {Return}", false, false},
            {"Enter on the hovered help", "<Text2> {Return}", false, true},
            {"closed by the window system", "*", false, false},
            {"Enter without hovering", "{Return}", true, false},
            {"Enter after leaving for the background", "<Text2> <Picture1> {Return}", true, false},
            {"Enter after the mouse left for the link", "<Text1> <Label6> {Return}", true, false},
            {"Enter after switching away and back", "<Text1> ~ {Return}", true, false},
            {"another letter", "{A}", true, false},
            {"hover on confirm", "<Text1>", true, false, "Text1"},
            {"hover from confirm to help", "<Text1> <Text2>", true, false, "Text2"},
            {"hover from help to the link", "<Text2> <Label6>", true, false},
            {"hover from help to a slogan", "<Text2> <Label10_3>", true, false},
        };
        AddCaseRows(cases);
    }

    void waysOutAndHover() {
        QFETCH(WayCase, c);
        QPointer<AboutWindow> about = OpenAbout(*s);
        QVERIFY(about != nullptr);
        for (auto* timer = Child<QTimer>(about, "Timer1"); timer->isActive();) {
            Tick(timer);
        }
        Act(about, c.steps);
        QCOMPARE(AboutWindow::Instance(), c.staysOpen ? about.data() : nullptr);
        QCOMPARE(!about.isNull() && about->isVisible(), c.staysOpen);
        QCOMPARE(s->form->isEnabled(), !c.staysOpen);
        QCOMPARE(HelpWindow::Instance() != nullptr && HelpWindow::Instance()->isVisible(),
                 c.helpOpens);
        // The activation goes back to the main window, or on to the help viewer.
        QVERIFY(c.staysOpen ||
                QTest::qWaitForWindowActive(
                    c.helpOpens ? static_cast<QWidget*>(HelpWindow::Instance()) : s->form.get()));
        if (c.staysOpen) {
            const bool onLink = QString(c.steps).contains("<Label6>"); // the last hover
            QCOMPARE(Child(about, "Label6")->palette().color(QPalette::WindowText),
                     onLink ? QColor(0, 255, 255) : QColor(0, 0, 255));
            QCOMPARE(Child(about, "Shape1")->isVisible(), QString(c.framed) == "Text1");
            QCOMPARE(Child(about, "Shape2")->isVisible(), QString(c.framed) == "Text2");
            QVERIFY(*c.framed == '\0' || Focused() == Child(about, c.framed));
        }
    }
};

QTEST_MAIN(AboutWindowTest)
#include "about_window_test.moc"
