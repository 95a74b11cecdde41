// Button fields, rectangles, key preview and twips: the pieces every window is built of,
// driven by mouse and keyboard the way a user would.
#include "ui/common/button_field.h"
#include "ui/common/colors.h"
#include "ui/common/controls.h"
#include "ui/common/key_preview.h"
#include "ui/common/twips.h"
#include "ui_test_support.h"

#include <QApplication>
#include <QFrame>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QSignalSpy>
#include <QtTest>
#include <memory>

using namespace ym::ui;

namespace {

const QString kCaption = QStringLiteral("计 算(D)");

bool ShowActive(QWidget* window) {
    window->show();
    window->activateWindow();
    return QTest::qWaitForWindowActive(window);
}

// A window with an entry field, a button field with its two frames and a hidden action
// button, like the calculate button field of the main window.
struct Panel {
    QWidget window;
    QLineEdit* entry = new QLineEdit(&window);
    ButtonField* field = new ButtonField(kCaption, &window);
    QPushButton* action = new QPushButton(QStringLiteral("计   算(&D)"), &window);
    QFrame* hover = MakeRectangle(&window, "Shape3_0", QRect(18, 58, 104, 34), Qt::black);
    QFrame* focus = MakeRectangle(&window, "Shape3_1", QRect(16, 56, 108, 38), Qt::red);
    int clicks = 0;
    QWidget* focusAtClick = nullptr;
    int entryCommitsAtClick = -1;
    int entryCommits = 0;

    Panel() {
        window.resize(300, 200);
        entry->setGeometry(10, 10, 120, 24);
        field->setGeometry(20, 60, 100, 30);
        action->setGeometry(200, 10, 18, 18);
        action->setFocusPolicy(Qt::NoFocus);
        field->setAction(action);
        field->setFrames(hover, focus);
        QObject::connect(entry, &QLineEdit::editingFinished, [this] { ++entryCommits; });
        QObject::connect(action, &QPushButton::clicked, [this] {
            ++clicks;
            focusAtClick = QApplication::focusWidget();
            entryCommitsAtClick = entryCommits;
        });
    }
};

// Key preview over a window whose focused control is an entry field inside a panel, as in
// the main window.
struct PreviewWindow {
    QWidget window;
    QWidget* inner = new QWidget(&window);
    QLineEdit* entry = new QLineEdit(inner);
    QList<int> seen;
    QList<int> consumed{Qt::Key_F1, Qt::Key_F2, Qt::Key_C, Qt::Key_D, Qt::Key_X};
    KeyPreview preview{&window, [this](int key) {
                           seen.append(key);
                           return consumed.contains(key);
                       }};

    PreviewWindow() {
        inner->setGeometry(0, 0, 200, 100);
        entry->setGeometry(10, 10, 150, 24);
        preview.setEnabled(true);
    }
    bool showActive() {
        if (!ShowActive(&window)) {
            return false;
        }
        entry->setFocus();
        return QApplication::focusWidget() == entry;
    }
};

struct KeyCase {
    const char* name;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    int clicks;
};

struct EntryKeyCase {
    const char* name;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    const char *text, *entryAfter;
};

} // namespace

Q_DECLARE_METATYPE(KeyCase)
Q_DECLARE_METATYPE(EntryKeyCase)

class ButtonFieldTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { InstallModalWatchdog(); }
    void cleanup() { SetPixelsPerTwipForTesting(0); }

    void startsLikeAButtonAndIsNoTabStop() {
        Panel panel;
        auto* other = new QLineEdit(&panel.window);
        other->setGeometry(10, 120, 120, 24);
        QVERIFY(ShowActive(&panel.window));
        QVERIFY(panel.field->isReadOnly());
        QCOMPARE(panel.field->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
        QVERIFY(!panel.hover->isVisible());
        QVERIFY(!panel.focus->isVisible());
        panel.entry->setFocus();
        QTest::keyClick(panel.entry, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(other));
        QVERIFY(!panel.focus->isVisible());
        QCOMPARE(panel.clicks, 0);
    }

    void keysWhileFocused_data() {
        const KeyCase cases[] = {
            {"return", Qt::Key_Return, Qt::NoModifier, 1},
            {"keypad enter", Qt::Key_Enter, Qt::KeypadModifier, 1},
            {"space", Qt::Key_Space, Qt::NoModifier, 0},
            {"letter d", Qt::Key_D, Qt::NoModifier, 0},
            {"backspace", Qt::Key_Backspace, Qt::NoModifier, 0},
            {"ctrl+x", Qt::Key_X, Qt::ControlModifier, 0},
        };
        AddCaseRows(cases);
    }
    void keysWhileFocused() {
        QFETCH(KeyCase, c);
        Panel panel;
        QVERIFY(ShowActive(&panel.window));
        panel.field->setFocus();
        QVERIFY(panel.focus->isVisible());
        QTest::keyClick(panel.field, c.key, c.modifiers);
        QCOMPARE(panel.clicks, c.clicks);
        // Nothing is ever typed into the caption.
        QCOMPARE(panel.field->text(), kCaption);
        // Enter hides both frames after the action; other keys leave them shown.
        QCOMPARE(panel.focus->isVisible(), c.clicks == 0);
        QCOMPARE(panel.hover->isVisible(), c.clicks == 0);
    }

    void clickTakesFocusFromEntryBeforeTheAction() {
        Panel panel;
        QVERIFY(ShowActive(&panel.window));
        panel.entry->setFocus();
        QTest::keyClicks(panel.entry, QStringLiteral("12.5"));
        QTest::mouseClick(panel.field, Qt::LeftButton, Qt::NoModifier, QPoint(50, 15));
        QCOMPARE(panel.clicks, 1);
        QCOMPARE(panel.focusAtClick, static_cast<QWidget*>(panel.field));
        QCOMPARE(panel.entryCommitsAtClick, 1); // the entry committed on losing the focus
        QCOMPARE(panel.field->text(), kCaption);
        QVERIFY(panel.focus->isVisible());
        QTest::mouseClick(panel.field, Qt::LeftButton, Qt::NoModifier, QPoint(50, 15));
        QCOMPARE(panel.clicks, 2);
    }

    void mouseButtonsAndReleasePlace_data() {
        QTest::addColumn<int>("button");
        QTest::addColumn<QPoint>("release");
        QTest::addColumn<int>("clicks");
        QTest::newRow("left inside") << int(Qt::LeftButton) << QPoint(50, 15) << 1;
        QTest::newRow("left, released off") << int(Qt::LeftButton) << QPoint(150, 15) << 0;
        QTest::newRow("right") << int(Qt::RightButton) << QPoint(50, 15) << 0;
    }
    void mouseButtonsAndReleasePlace() {
        QFETCH(int, button);
        QFETCH(QPoint, release);
        QFETCH(int, clicks);
        Panel panel;
        QVERIFY(ShowActive(&panel.window));
        QTest::mousePress(panel.field, Qt::MouseButton(button), Qt::NoModifier, QPoint(50, 15));
        QTest::mouseRelease(panel.field, Qt::MouseButton(button), Qt::NoModifier, release);
        QCOMPARE(panel.clicks, clicks);
    }

    void framesFollowFocusAndHoverIsReported() {
        Panel panel;
        QVERIFY(ShowActive(&panel.window));
        QSignalSpy hovered(panel.field, &ButtonField::hovered);
        QTest::mouseMove(panel.field, QPoint(30, 10));
        QTest::mouseMove(panel.field, QPoint(60, 12));
        QTRY_VERIFY(hovered.count() >= 1);
        QVERIFY(QApplication::focusWidget() != panel.field); // hovering is not focusing
        QSignalSpy entered(panel.field, &ButtonField::focusEntered);
        QSignalSpy left(panel.field, &ButtonField::focusLeft);
        panel.field->setFocus();
        QCOMPARE(entered.count(), 1);
        QVERIFY(panel.hover->isVisible() && panel.focus->isVisible());
        panel.entry->setFocus();
        QCOMPARE(left.count(), 1);
        QVERIFY(!panel.hover->isVisible() && !panel.focus->isVisible());
        QCOMPARE(panel.clicks, 0);
    }

    void rectangleIsAnOutlineThatLetsTheMouseThrough() {
        QWidget window;
        const QColor green(0, 255, 0);
        QFrame* shape = MakeRectangle(&window, "Shape2_1", QRect(5, 6, 20, 21), green);
        QCOMPARE(shape->geometry(), QRect(5, 6, 20, 21));
        QVERIFY(shape->isHidden());
        QVERIFY(shape->testAttribute(Qt::WA_TransparentForMouseEvents));
        QCOMPARE(shape->focusPolicy(), Qt::NoFocus);

        shape->show();
        window.resize(40, 40);
        const QImage image = shape->grab().toImage();
        QCOMPARE(image.size(), QSize(20, 21));
        // One pixel of outline colour at every edge, the inside untouched.
        for (const QPoint edge : {QPoint(0, 10), QPoint(19, 10), QPoint(10, 0), QPoint(10, 20)}) {
            QCOMPARE(QColor(image.pixel(edge)), green);
        }
        QVERIFY(QColor(image.pixel(1, 10)) != green);
        QVERIFY(QColor(image.pixel(10, 10)) != green);
    }

    // The regression: a press the field ignores travels on to the panel and the window,
    // and must still reach the handler only once.
    void previewSeesEachKeyOnce_data() {
        // Start from "12"; consumed letters never reach the field, in either case.
        const EntryKeyCase cases[] = {
            {"D consumed", Qt::Key_D, Qt::NoModifier, "d", "12"},
            {"shift+D consumed", Qt::Key_D, Qt::ShiftModifier, "D", "12"},
            {"F1 consumed", Qt::Key_F1, Qt::NoModifier, "", "12"},
            {"digit passes", Qt::Key_5, Qt::NoModifier, "5", "125"},
            {"other letter passes", Qt::Key_A, Qt::NoModifier, "a", "12a"},
            {"F6 passes", Qt::Key_F6, Qt::NoModifier, "", "12"},
            {"escape passes", Qt::Key_Escape, Qt::NoModifier, "", "12"},
        };
        AddCaseRows(cases);
    }
    void previewSeesEachKeyOnce() {
        QFETCH(EntryKeyCase, c);
        PreviewWindow w;
        QVERIFY(w.showActive());
        w.entry->setText(QStringLiteral("12"));
        w.entry->end(false);
        QTest::sendKeyEvent(QTest::Press, w.entry, c.key, c.text, c.modifiers);
        QTest::sendKeyEvent(QTest::Release, w.entry, c.key, c.text, c.modifiers);
        QCOMPARE(w.entry->text(), QString::fromUtf8(c.entryAfter));
        // (With Shift held the Shift press itself is seen first.)
        QCOMPARE(w.seen.count(c.key), 1);
        QCOMPARE(w.seen.size(), c.modifiers == Qt::NoModifier ? 1 : 2);
    }

    void previewScope() {
        PreviewWindow w;
        QVERIFY(w.showActive());
        // Keys sent to the window itself are seen too.
        QTest::keyClick(&w.window, Qt::Key_F2);
        QTest::keyClick(&w.window, Qt::Key_F6);
        QCOMPARE(w.seen, (QList<int>{Qt::Key_F2, Qt::Key_F6}));
        // Another window is not its business.
        QWidget other;
        auto* field = new QLineEdit(&other);
        QVERIFY(ShowActive(&other));
        field->setFocus();
        QTest::keyClick(field, Qt::Key_D);
        QCOMPARE(field->text(), QStringLiteral("d"));
        QCOMPARE(w.seen.size(), 2);
        // Switched off, it sees nothing.
        QVERIFY(w.showActive());
        w.seen.clear();
        w.preview.setEnabled(false);
        QTest::keyClick(w.entry, Qt::Key_D);
        QTest::keyClick(w.entry, Qt::Key_F2);
        QVERIFY(w.seen.isEmpty());
        QCOMPARE(w.entry->text(), QStringLiteral("d"));
    }

    void shortcutsGetOnlyTheKeysTheWindowDoesNotHandle() {
        PreviewWindow w;
        int f2Fired = 0, f8Fired = 0;
        connect(new QShortcut(QKeySequence(Qt::Key_F2), &w.window), &QShortcut::activated, this,
                [&] { ++f2Fired; });
        connect(new QShortcut(QKeySequence(Qt::Key_F8), &w.window), &QShortcut::activated, this,
                [&] { ++f8Fired; });
        w.preview.setShortcutOverride([&w](int key) { return w.consumed.contains(key); });
        QVERIFY(w.showActive());
        QTest::keyClick(w.entry, Qt::Key_F2);
        QCOMPARE(f2Fired, 0);
        QCOMPARE(w.seen, QList<int>{Qt::Key_F2});
        QTest::keyClick(w.entry, Qt::Key_F8);
        QCOMPARE(f8Fired, 1);
    }

    void twipsOnTheUsualScreen() {
        SetPixelsPerTwipForTesting(1.0 / 15.0);
        QCOMPARE(TwipsRect(0, 0, 8100, 720), QRect(0, 0, 540, 48));      // title strip
        QCOMPARE(TwipsRect(8, 6050, 8088, 420), QRect(1, 403, 539, 28)); // tool strip
        QCOMPARE(TwipsRect(120, 180, 4800, 5000), QRect(8, 12, 320, 333));
    }

    void twipNeighboursNeitherGapNorOverlap_data() {
        QTest::addColumn<double>("pixelsPerTwip");
        QTest::newRow("96 dpi") << 1.0 / 15.0;
        QTest::newRow("144 dpi") << 144.0 / 1440.0;
        QTest::newRow("168 dpi") << 168.0 / 1440.0;
    }
    void twipNeighboursNeitherGapNorOverlap() {
        QFETCH(double, pixelsPerTwip);
        SetPixelsPerTwipForTesting(pixelsPerTwip);
        QCOMPARE(PixelsPerTwip(), pixelsPerTwip);
        // Rows 320 twips apart from 97 on, and odd widths side by side.
        for (int row = 0; row < 12; ++row) {
            const QRect upper = TwipsRect(60, 97 + 320 * row, 1700, 320);
            const QRect lower = TwipsRect(60, 97 + 320 * (row + 1), 1700, 320);
            QCOMPARE(upper.bottom() + 1, lower.top());
            const QRect left = TwipsRect(37 + 1111 * row, 0, 1111, 100);
            const QRect right = TwipsRect(37 + 1111 * (row + 1), 0, 1111, 100);
            QCOMPARE(left.right() + 1, right.left());
        }
    }

    void colorReferences() {
        // 0x00BBGGRR; the top bit marks a system colour, taken from the palette.
        QCOMPARE(ToQColor(0x00C00000, QPalette()), QColor(0, 0, 192));
        QCOMPARE(ToQColor(0x00FFFF80, QPalette()), QColor(128, 255, 255));
        QCOMPARE(ToQColor(0x0000FF00, QPalette()), QColor(0, 255, 0));
        QPalette palette;
        palette.setColor(QPalette::HighlightedText, QColor(1, 2, 3));
        palette.setColor(QPalette::ButtonText, QColor(4, 5, 6));
        palette.setColor(QPalette::WindowText, QColor(7, 8, 9));
        QCOMPARE(ToQColor(static_cast<int>(0x8000000Eu), palette), QColor(1, 2, 3));
        QCOMPARE(ToQColor(static_cast<int>(0x80000012u), palette), QColor(4, 5, 6));
        QCOMPARE(ToQColor(static_cast<int>(0x80000005u), palette), QColor(7, 8, 9));
    }
};

QTEST_MAIN(ButtonFieldTest)
#include "button_field_test.moc"
