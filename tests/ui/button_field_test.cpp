// Button fields, rectangles, key preview and twips: the pieces every window is built of,
// driven by mouse and keyboard the way a user would.
#include "ui/common/button_field.h"
#include "ui/common/colors.h"
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

// A window with an entry field, a button field with its two frames and a hidden action
// button, like the calculate button field of the main window.
struct Panel {
    QWidget window;
    QLineEdit* entry = nullptr;
    ButtonField* field = nullptr;
    QPushButton* action = nullptr;
    QFrame* hover = nullptr;
    QFrame* focus = nullptr;
    int clicks = 0;
    QWidget* focusAtClick = nullptr;
    int entryCommitsAtClick = -1;
    int entryCommits = 0;

    Panel() {
        window.resize(300, 200);
        entry = new QLineEdit(&window);
        entry->setObjectName(QStringLiteral("Text3"));
        entry->setGeometry(10, 10, 120, 24);
        field = new ButtonField(QStringLiteral("计 算(D)"), &window);
        field->setObjectName(QStringLiteral("Text4"));
        field->setGeometry(20, 60, 100, 30);
        hover =
            MakeRectangle(&window, QStringLiteral("Shape3_0"), QRect(18, 58, 104, 34), Qt::black);
        focus = MakeRectangle(&window, QStringLiteral("Shape3_1"), QRect(16, 56, 108, 38), Qt::red);
        action = new QPushButton(QStringLiteral("计   算(&D)"), &window);
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

    bool showActive() {
        window.show();
        window.activateWindow();
        return QTest::qWaitForWindowActive(&window);
    }
};

struct KeyCase {
    const char* name;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    int expectedClicks;
};

} // namespace

class ButtonFieldTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { InstallModalWatchdog(); }

    void startsLikeAButton() {
        Panel panel;
        QVERIFY(panel.showActive());
        QVERIFY(panel.field->isReadOnly());
        QCOMPARE(panel.field->text(), QStringLiteral("计 算(D)"));
        QCOMPARE(panel.field->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
        QVERIFY(!panel.hover->isVisible());
        QVERIFY(!panel.focus->isVisible());
        QCOMPARE(panel.hover->objectName(), QStringLiteral("Shape3_0"));
        QCOMPARE(panel.hover->geometry(), QRect(18, 58, 104, 34));
        QCOMPARE(panel.clicks, 0);
    }

    void notATabStop() {
        Panel panel;
        auto* other = new QLineEdit(&panel.window);
        other->setGeometry(10, 120, 120, 24);
        QVERIFY(panel.showActive());
        panel.entry->setFocus();
        QTest::keyClick(panel.entry, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(other));
        QVERIFY(!panel.focus->isVisible());
        QCOMPARE(panel.clicks, 0);
    }

    void keysWhileFocused_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<int>("expectedClicks");
        const KeyCase cases[] = {
            {"return", Qt::Key_Return, Qt::NoModifier, 1},
            {"keypad enter", Qt::Key_Enter, Qt::KeypadModifier, 1},
            {"space", Qt::Key_Space, Qt::NoModifier, 0},
            {"letter d", Qt::Key_D, Qt::NoModifier, 0},
            {"digit", Qt::Key_7, Qt::NoModifier, 0},
            {"point", Qt::Key_Period, Qt::NoModifier, 0},
            {"backspace", Qt::Key_Backspace, Qt::NoModifier, 0},
            {"delete", Qt::Key_Delete, Qt::NoModifier, 0},
            {"escape", Qt::Key_Escape, Qt::NoModifier, 0},
            {"ctrl+x", Qt::Key_X, Qt::ControlModifier, 0},
        };
        for (const KeyCase& c : cases) {
            QTest::newRow(c.name) << int(c.key) << int(c.modifiers) << c.expectedClicks;
        }
    }
    void keysWhileFocused() {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(int, expectedClicks);
        Panel panel;
        QVERIFY(panel.showActive());
        panel.field->setFocus();
        QVERIFY(panel.focus->isVisible());
        QTest::keyClick(panel.field, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(panel.clicks, expectedClicks);
        // Nothing is ever typed into the caption.
        QCOMPARE(panel.field->text(), QStringLiteral("计 算(D)"));
        // Enter hides both frames after the action; other keys leave them shown.
        QCOMPARE(panel.focus->isVisible(), expectedClicks == 0);
        QCOMPARE(panel.hover->isVisible(), expectedClicks == 0);
    }

    void clickTakesFocusFromEntryBeforeTheAction() {
        Panel panel;
        QVERIFY(panel.showActive());
        panel.entry->setFocus();
        QTest::keyClicks(panel.entry, QStringLiteral("12.5"));
        QTest::mouseClick(panel.field, Qt::LeftButton, Qt::NoModifier, QPoint(50, 15));
        QCOMPARE(panel.clicks, 1);
        QCOMPARE(panel.focusAtClick, static_cast<QWidget*>(panel.field));
        QCOMPARE(panel.entryCommitsAtClick, 1); // the entry committed on losing the focus
        QCOMPARE(panel.field->text(), QStringLiteral("计 算(D)"));
        QVERIFY(panel.focus->isVisible());
    }

    void mouseButtonsAndReleasePlace_data() {
        QTest::addColumn<int>("button");
        QTest::addColumn<QPoint>("release");
        QTest::addColumn<int>("expectedClicks");
        QTest::newRow("left inside") << int(Qt::LeftButton) << QPoint(50, 15) << 1;
        QTest::newRow("left, released off the field")
            << int(Qt::LeftButton) << QPoint(150, 15) << 0;
        QTest::newRow("right") << int(Qt::RightButton) << QPoint(50, 15) << 0;
        QTest::newRow("middle") << int(Qt::MiddleButton) << QPoint(50, 15) << 0;
    }
    void mouseButtonsAndReleasePlace() {
        QFETCH(int, button);
        QFETCH(QPoint, release);
        QFETCH(int, expectedClicks);
        Panel panel;
        QVERIFY(panel.showActive());
        QTest::mousePress(panel.field, Qt::MouseButton(button), Qt::NoModifier, QPoint(50, 15));
        QTest::mouseRelease(panel.field, Qt::MouseButton(button), Qt::NoModifier, release);
        QCOMPARE(panel.clicks, expectedClicks);
    }

    void twoClicksRunTheActionTwice() {
        Panel panel;
        QVERIFY(panel.showActive());
        QTest::mouseClick(panel.field, Qt::LeftButton, Qt::NoModifier, QPoint(50, 15));
        QTest::mouseClick(panel.field, Qt::LeftButton, Qt::NoModifier, QPoint(50, 15));
        QCOMPARE(panel.clicks, 2);
    }

    void framesFollowFocus() {
        Panel panel;
        QVERIFY(panel.showActive());
        QSignalSpy entered(panel.field, &ButtonField::focusEntered);
        QSignalSpy left(panel.field, &ButtonField::focusLeft);
        panel.field->setFocus();
        QCOMPARE(entered.count(), 1);
        QVERIFY(panel.hover->isVisible());
        QVERIFY(panel.focus->isVisible());
        panel.entry->setFocus();
        QCOMPARE(left.count(), 1);
        QVERIFY(!panel.hover->isVisible());
        QVERIFY(!panel.focus->isVisible());
    }

    void mouseMoveReportsHover() {
        Panel panel;
        QVERIFY(panel.showActive());
        QSignalSpy hovered(panel.field, &ButtonField::hovered);
        QTest::mouseMove(panel.field, QPoint(30, 10));
        QTest::mouseMove(panel.field, QPoint(60, 12));
        QTRY_VERIFY(hovered.count() >= 1);
        QCOMPARE(panel.clicks, 0);
        QVERIFY(QApplication::focusWidget() != panel.field); // hovering is not focusing
    }

    void rectangleIsAnOutlineThatLetsTheMouseThrough() {
        QWidget window;
        QFrame* shape = MakeRectangle(&window, QStringLiteral("Shape2_1"), QRect(5, 6, 20, 21),
                                      QColor(0, 255, 0));
        QCOMPARE(shape->parentWidget(), &window);
        QCOMPARE(shape->objectName(), QStringLiteral("Shape2_1"));
        QCOMPARE(shape->geometry(), QRect(5, 6, 20, 21));
        QVERIFY(shape->isHidden());
        QVERIFY(shape->testAttribute(Qt::WA_TransparentForMouseEvents));
        QCOMPARE(shape->focusPolicy(), Qt::NoFocus);

        shape->show();
        window.resize(40, 40);
        const QImage image = shape->grab().toImage();
        QCOMPARE(image.size(), QSize(20, 21));
        // One pixel of outline colour at every edge, the inside untouched.
        QCOMPARE(QColor(image.pixel(0, 10)), QColor(0, 255, 0));
        QCOMPARE(QColor(image.pixel(19, 10)), QColor(0, 255, 0));
        QCOMPARE(QColor(image.pixel(10, 0)), QColor(0, 255, 0));
        QCOMPARE(QColor(image.pixel(10, 20)), QColor(0, 255, 0));
        QVERIFY(QColor(image.pixel(1, 10)) != QColor(0, 255, 0));
        QVERIFY(QColor(image.pixel(10, 10)) != QColor(0, 255, 0));
    }
};

// Key preview over a window whose focused control is an entry field.
class KeyPreviewTest : public QObject {
    Q_OBJECT

    struct Window {
        QWidget window;
        QLineEdit* entry = nullptr;
        QList<int> seen;
        std::unique_ptr<KeyPreview> preview;
        QList<int> consumed{Qt::Key_F1, Qt::Key_F2, Qt::Key_C, Qt::Key_D, Qt::Key_X};

        Window() {
            auto* inner = new QWidget(&window); // the entry sits in a panel, as in Form1
            inner->setGeometry(0, 0, 200, 100);
            entry = new QLineEdit(inner);
            entry->setGeometry(10, 10, 150, 24);
            preview = std::make_unique<KeyPreview>(&window, [this](int key) {
                seen.append(key);
                return consumed.contains(key);
            });
            preview->setEnabled(true);
        }
        bool showActive() {
            window.show();
            window.activateWindow();
            if (!QTest::qWaitForWindowActive(&window)) {
                return false;
            }
            entry->setFocus();
            return QApplication::focusWidget() == entry;
        }
    };

private slots:
    void initTestCase() { InstallModalWatchdog(); }

    void keysInTheEntryField_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expectedEntry");
        // Start from "12"; consumed letters never reach the field, in either case.
        QTest::newRow("D consumed") << int(Qt::Key_D) << 0 << "d"
                                    << "12";
        QTest::newRow("shift+D consumed") << int(Qt::Key_D) << int(Qt::ShiftModifier) << "D"
                                          << "12";
        QTest::newRow("C consumed") << int(Qt::Key_C) << 0 << "c"
                                    << "12";
        QTest::newRow("X consumed") << int(Qt::Key_X) << 0 << "x"
                                    << "12";
        QTest::newRow("F1 consumed") << int(Qt::Key_F1) << 0 << ""
                                     << "12";
        QTest::newRow("digit passes") << int(Qt::Key_5) << 0 << "5"
                                      << "125";
        QTest::newRow("point passes") << int(Qt::Key_Period) << 0 << "."
                                      << "12.";
        QTest::newRow("other letter passes") << int(Qt::Key_A) << 0 << "a"
                                             << "12a";
        QTest::newRow("backspace passes") << int(Qt::Key_Backspace) << 0 << ""
                                          << "1";
        QTest::newRow("F6 passes") << int(Qt::Key_F6) << 0 << ""
                                   << "12";
        QTest::newRow("escape passes") << int(Qt::Key_Escape) << 0 << ""
                                       << "12";
    }
    void keysInTheEntryField() {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QString, text);
        QFETCH(QString, expectedEntry);
        Window w;
        QVERIFY(w.showActive());
        w.entry->setText(QStringLiteral("12"));
        w.entry->end(false);
        QTest::sendKeyEvent(QTest::Press, w.entry, Qt::Key(key), text,
                            Qt::KeyboardModifiers(modifiers));
        QTest::sendKeyEvent(QTest::Release, w.entry, Qt::Key(key), text,
                            Qt::KeyboardModifiers(modifiers));
        QCOMPARE(w.entry->text(), expectedEntry);
        // The handler sees each press exactly once, even when the field ignores it and
        // it travels on to the panel and the window.
        // (With Shift held the Shift press itself is seen first.)
        QCOMPARE(w.seen.count(key), 1);
        QCOMPARE(w.seen.size(), modifiers == 0 ? 1 : 2);
    }

    void switchedOffSeesNothing() {
        Window w;
        QVERIFY(w.showActive());
        w.preview->setEnabled(false);
        QTest::keyClick(w.entry, Qt::Key_D);
        QTest::keyClick(w.entry, Qt::Key_F2);
        QVERIFY(w.seen.isEmpty());
        QCOMPARE(w.entry->text(), QStringLiteral("d"));
    }

    void otherWindowsAreNotItsBusiness() {
        Window w;
        QVERIFY(w.showActive());
        QWidget other;
        auto* field = new QLineEdit(&other);
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        field->setFocus();
        QTest::keyClick(field, Qt::Key_D);
        QVERIFY(w.seen.isEmpty());
        QCOMPARE(field->text(), QStringLiteral("d"));
    }

    void keyOnTheWindowItself() {
        Window w;
        QVERIFY(w.showActive());
        QTest::keyClick(&w.window, Qt::Key_F2);
        QTest::keyClick(&w.window, Qt::Key_F6);
        QCOMPARE(w.seen, (QList<int>{Qt::Key_F2, Qt::Key_F6}));
    }

    void shortcutDoesNotStealAKeyTheWindowHandles() {
        Window w;
        int shortcutFired = 0;
        auto* shortcut = new QShortcut(QKeySequence(Qt::Key_F2), &w.window);
        connect(shortcut, &QShortcut::activated, this, [&] { ++shortcutFired; });
        w.preview->setShortcutOverride([&w](int key) { return w.consumed.contains(key); });
        QVERIFY(w.showActive());
        QTest::keyClick(w.entry, Qt::Key_F2);
        QCOMPARE(shortcutFired, 0);
        QCOMPARE(w.seen, QList<int>{Qt::Key_F2});
    }

    void unlistedKeyStillReachesItsShortcut() {
        Window w;
        int shortcutFired = 0;
        auto* shortcut = new QShortcut(QKeySequence(Qt::Key_F8), &w.window);
        connect(shortcut, &QShortcut::activated, this, [&] { ++shortcutFired; });
        w.preview->setShortcutOverride([&w](int key) { return w.consumed.contains(key); });
        QVERIFY(w.showActive());
        QTest::keyClick(w.entry, Qt::Key_F8);
        QCOMPARE(shortcutFired, 1);
    }
};

// Twips to pixels and colour references to colours.
class TwipsColorTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { SetPixelsPerTwipForTesting(0); }

    void usualScreen_data() {
        QTest::addColumn<QRect>("twips");
        QTest::addColumn<QRect>("pixels");
        // Whole pixels at 15 twips a pixel: the main window's strips and panels.
        QTest::newRow("title strip") << QRect(0, 0, 8100, 720) << QRect(0, 0, 540, 48);
        QTest::newRow("tool strip") << QRect(8, 6050, 8088, 420) << QRect(1, 403, 539, 28);
        QTest::newRow("result panel") << QRect(120, 180, 4800, 5000) << QRect(8, 12, 320, 333);
        QTest::newRow("help window") << QRect(0, 0, 4740, 6240) << QRect(0, 0, 316, 416);
    }
    void usualScreen() {
        QFETCH(QRect, twips);
        QFETCH(QRect, pixels);
        SetPixelsPerTwipForTesting(1.0 / 15.0);
        QCOMPARE(TwipsRect(twips.x(), twips.y(), twips.width(), twips.height()), pixels);
    }

    void neighboursNeitherGapNorOverlap_data() {
        QTest::addColumn<double>("pixelsPerTwip");
        QTest::newRow("96 dpi") << 1.0 / 15.0;
        QTest::newRow("120 dpi") << 120.0 / 1440.0;
        QTest::newRow("144 dpi") << 144.0 / 1440.0;
        QTest::newRow("168 dpi") << 168.0 / 1440.0;
    }
    void neighboursNeitherGapNorOverlap() {
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

    void colorReferences_data() {
        QTest::addColumn<int>("reference");
        QTest::addColumn<QColor>("expected");
        QPalette palette;
        QTest::newRow("dark blue strip") << 0x00C00000 << QColor(0, 0, 192);
        QTest::newRow("light blue tool strip") << 0x00FF8080 << QColor(128, 128, 255);
        QTest::newRow("title text") << 0x00FFFF80 << QColor(128, 255, 255);
        QTest::newRow("green handles") << 0x0000FF00 << QColor(0, 255, 0);
        QTest::newRow("input panel") << 0x00FFC0C0 << QColor(192, 192, 255);
    }
    void colorReferences() {
        QFETCH(int, reference);
        QFETCH(QColor, expected);
        QCOMPARE(ToQColor(reference, QPalette()), expected);
    }

    void systemColorsComeFromThePalette() {
        QPalette palette;
        palette.setColor(QPalette::HighlightedText, QColor(1, 2, 3));
        palette.setColor(QPalette::ButtonText, QColor(4, 5, 6));
        palette.setColor(QPalette::WindowText, QColor(7, 8, 9));
        QCOMPARE(ToQColor(static_cast<int>(0x8000000Eu), palette), QColor(1, 2, 3));
        QCOMPARE(ToQColor(static_cast<int>(0x80000012u), palette), QColor(4, 5, 6));
        QCOMPARE(ToQColor(static_cast<int>(0x80000005u), palette), QColor(7, 8, 9));
    }
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    int status = 0;
    {
        ButtonFieldTest test;
        status |= QTest::qExec(&test, argc, argv);
    }
    {
        KeyPreviewTest test;
        status |= QTest::qExec(&test, argc, argv);
    }
    {
        TwipsColorTest test;
        status |= QTest::qExec(&test, argc, argv);
    }
    return status;
}

#include "button_field_test.moc"
