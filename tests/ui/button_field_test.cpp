// The pieces every window is built of, where no window shows them on its own: the keys
// and mouse buttons a button field takes, key preview, and colour references.
#include "ui/common/button_field.h"
#include "ui/common/colors.h"
#include "ui/common/key_preview.h"
#include "ui_test_support.h"

using namespace ym::ui;

namespace {

// A window with a button field and the hidden action button it clicks, like the calculate
// button field of the main window.
struct Panel {
    QWidget window;
    ButtonField* field = new ButtonField(QStringLiteral("计 算(D)"), &window);
    QPushButton* action = new QPushButton(&window);
    int clicks = 0;

    bool show() {
        field->setGeometry(20, 60, 100, 30);
        action->setFocusPolicy(Qt::NoFocus);
        field->setAction(action);
        QObject::connect(action, &QPushButton::clicked, [this] { ++clicks; });
        window.show();
        window.activateWindow();
        return QTest::qWaitForWindowActive(&window);
    }
};

} // namespace

class ButtonFieldTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { InstallModalWatchdog(); }

    void keysAndButtons_data() {
        QTest::addColumn<int>("key"); // 0: a mouse button, pressed in the field
        QTest::addColumn<int>("button");
        QTest::addColumn<QPoint>("release");
        QTest::addColumn<int>("clicks");
        QTest::newRow("Enter") << int(Qt::Key_Return) << 0 << QPoint() << 1;
        QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << 0 << QPoint() << 1;
        QTest::newRow("space") << int(Qt::Key_Space) << 0 << QPoint() << 0;
        QTest::newRow("letter") << int(Qt::Key_D) << 0 << QPoint() << 0;
        QTest::newRow("left") << 0 << int(Qt::LeftButton) << QPoint(50, 15) << 1;
        QTest::newRow("left, released off") << 0 << int(Qt::LeftButton) << QPoint(150, 15) << 0;
        QTest::newRow("right") << 0 << int(Qt::RightButton) << QPoint(50, 15) << 0;
    }
    void keysAndButtons() {
        QFETCH(int, key);
        QFETCH(int, button);
        QFETCH(QPoint, release);
        QFETCH(int, clicks);
        Panel panel;
        QVERIFY(panel.show());
        panel.field->setFocus();
        const QString caption = panel.field->text();
        if (key != 0) {
            QTest::keyClick(panel.field, Qt::Key(key));
        } else {
            const auto mouse = Qt::MouseButton(button);
            QTest::mousePress(panel.field, mouse, Qt::NoModifier, QPoint(50, 15));
            QTest::mouseRelease(panel.field, mouse, Qt::NoModifier, release);
        }
        QCOMPARE(panel.clicks, clicks);
        QCOMPARE(panel.field->text(), caption); // nothing is ever typed into it
    }

    // A key the focused field ignores travels on to its parents; the window's key preview
    // still sees it once. A key the preview consumes never reaches the field.
    void keyPreviewSeesEachKeyOnce() {
        QWidget window;
        auto* entry = new QLineEdit(new QWidget(&window));
        QList<int> seen;
        KeyPreview preview(&window, [&seen](int key) {
            seen << key;
            return key == Qt::Key_D;
        });
        preview.setEnabled(true);
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        entry->setFocus();
        QTest::keyClicks(entry, "1d");
        QTest::keyClick(entry, Qt::Key_F6);
        QCOMPARE(entry->text(), QStringLiteral("1"));
        QCOMPARE(seen, (QList<int>{Qt::Key_1, Qt::Key_D, Qt::Key_F6}));
    }

    // 0x00BBGGRR; the top bit marks a system colour, taken from the palette.
    void colorReferences() {
        QCOMPARE(ToQColor(0x00C00000, QPalette()), QColor(0, 0, 192));
        QCOMPARE(ToQColor(0x0000FF80, QPalette()), QColor(128, 255, 0));
        QPalette palette;
        palette.setColor(QPalette::HighlightedText, QColor(1, 2, 3));
        palette.setColor(QPalette::ButtonText, QColor(4, 5, 6));
        QCOMPARE(ToQColor(static_cast<int>(0x8000000Eu), palette), QColor(1, 2, 3));
        QCOMPARE(ToQColor(static_cast<int>(0x80000012u), palette), QColor(4, 5, 6));
    }
};

QTEST_MAIN(ButtonFieldTest)
#include "button_field_test.moc"
