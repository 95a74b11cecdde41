// The help viewer: the page line by line as the help was written, and the viewer's
// behaviour when it is opened, reopened, typed into and closed.
#include "ui/common/twips.h"
#include "ui/help/help_text.h"
#include "ui/help/help_window.h"
#include "ui_test_support.h"

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QTextBlock>
#include <QtTest>

using namespace ym::ui;

namespace {

// Rows of the help page as the help was drafted, the page opening with an empty row: row number,
// exact text, whether one empty line follows. Rows 3, 4, 7, 17, 23, 25, 26, 36, 38, 39, 43 and 44
// are paragraphs worded freely and are checked by their shape only.
struct QuotedRow {
    int row;
    const char* text;
    bool blankAfter;
};

const QuotedRow kQuotedRows[] = {
    {1, "", false},
    {2, "一、简介：", true},
    {5, "二、操作说明:", true},
    {6, "  （一）股价计算器：", false},
    {8, "    操作步骤：", false},
    {9, "    1、选择市场：上海、深圳 ", false},
    {10, "    2、选择券种：A股、B股、基金 ...... ", false},
    {11, "    3、输入买入价 + Enter（回车键）   ", false},
    {12, "    4、输入卖出价 + Enter   ", false},
    {13, "    5、输入买卖数量 + Enter", false},
    {14, "    6、Enter（计算键），即可得到结果。", false},
    {15, "    如果只输入买入价或卖出价，则计算的是单趟的手续费等值。", true},
    {16, "  （二）除权（息）价计算器：", true},
    {18, "    操作步骤:", false},
    {19, "    1、选择送配方案，并输入相应数据 + Enter", false},
    {20, "    2、输入送配前（后）股价 + Enter", false},
    {21, "    3、Enter（计算键），即可。", false},
    {22, "    得到的为相应的送配后（前）的股价,计算键的箭头表示了计算方向。", false},
    {24, "  （三）参数设置：", true},
    {27, "  （四）其它说明：", true},
    {28, "    F1 ---为'帮助'热键。", false},
    {29, "    F2 ---为'计算器'热键。", false},
    {30, "    F3 ---为'记事本'热键。", false},
    {31, "    F4 ---为'送配前后股价计算器'热键。", false},
    {32, "    F5 ---为'参数设置'热键。", false},
    {33, "    F6 ---为'关于'热键。", false},
    {34,
     "    按钮上有带下划线大写字母的，热键为(Alt + 按钮上的大写字母),例如:Alt + X "
     "(表示退出)；有不带下划线大写字母的，热键为(按钮上的大写字母),例如: “C” 表示清除。",
     false},
    {35, "    Tab键可以用来切换焦点。", false},
    {37, "三、补充说明:", true},
    {40,
     "     1、运行Yuanmate 5.5 "
     "后，进入“参数设置”，选择“系统设置”，选择一种“显示板显示方案”，保存退出即可；",
     false},
    {41, "     2、直接在该目录里删除 Yuanmate5.ini 文件，然后再次运行Yuanmate 5.5 即可。", true},
    {42, "四、升级说明:", true},
};

// Rows followed by an empty line, the last (row 44, five paragraphs) included.
const int kRowsWithBlank[] = {2, 4, 5, 7, 15, 16, 17, 23, 24, 26, 27, 36, 37, 39, 41, 42, 43, 44};

// Index of the page line that holds `row`: every earlier row takes one line plus its
// empty line, if any. Row 44 alone takes five lines, but nothing is quoted after it.
int LineIndexOfRow(int row) {
    int index = row - 1;
    for (int blank : kRowsWithBlank) {
        if (blank < row) {
            ++index;
        }
    }
    return index;
}

bool IsFreeParagraph(const QString& line) {
    return line.startsWith(QStringLiteral("    ")) && line.size() > 4 && line.at(4) != u' ';
}

} // namespace

// The viewer's controls, found by name as a user's tools would.
QPlainTextEdit* Page(QWidget* viewer) {
    return viewer->findChild<QPlainTextEdit*>(QStringLiteral("Text1"));
}
QLineEdit* Title(QWidget* viewer) {
    return viewer->findChild<QLineEdit*>(QStringLiteral("Text2"));
}
QPushButton* Command2(QWidget* viewer) {
    return viewer->findChild<QPushButton*>(QStringLiteral("Command2"));
}

class HelpWindowTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        SetPixelsPerTwipForTesting(1.0 / 15.0);
        InstallModalWatchdog();
    }
    void cleanup() {
        if (Form7* viewer = Form7::Instance()) {
            viewer->close();
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(Form7::Instance() == nullptr);
    }

    void quotedLinesExactAndInPlace_data() {
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("blankAfter");
        for (const QuotedRow& row : kQuotedRows) {
            QTest::addRow("row %d", row.row)
                << row.row << QString::fromUtf8(row.text) << row.blankAfter;
        }
    }
    void quotedLinesExactAndInPlace() {
        QFETCH(int, row);
        QFETCH(QString, text);
        QFETCH(bool, blankAfter);
        const QStringList lines = HelpLines();
        const int index = LineIndexOfRow(row);
        QVERIFY2(index + 1 < lines.size(), qPrintable(QString::number(index)));
        QCOMPARE(lines.at(index), text);
        QCOMPARE(lines.at(index + 1).isEmpty(), blankAfter);
    }

    void paragraphsKeepTheirIndentAndSense() {
        const QString indent = QStringLiteral("    ");
        const struct {
            int row;
            const char *mustContain, *mustBegin;
        } cases[] = {
            {3, "“不用再去交割，就知道一切细节！”", "    "},
            {4, "5.5", "    "},
            {25, "Yuanmate5.ini", "    "},
            {36, "Linux", "    "},
            {38, "新版本", "    <一>  "},
            {39, "Yuanmate5.ini", "    <二>  "},
        };
        for (const auto& c : cases) {
            const QString line = HelpLines().at(LineIndexOfRow(c.row));
            QVERIFY2(line.startsWith(QString::fromUtf8(c.mustBegin)), qPrintable(line));
            QVERIFY2(line.contains(QString::fromUtf8(c.mustContain)), qPrintable(line));
            QVERIFY2(c.mustBegin != indent || IsFreeParagraph(line), qPrintable(line));
        }
    }

    void upgradeNotesAreFiveNumberedParagraphsThenTheEnd() {
        const QStringList lines = HelpLines();
        const int first = LineIndexOfRow(44);
        // 43 rows of one line, five lines for row 44, and 18 empty lines.
        QCOMPARE(lines.size(), 43 + 5 + 18);
        for (int i = 0; i < 5; ++i) {
            const QString prefix = QStringLiteral("    <*%1*>").arg(i + 1);
            QVERIFY2(lines.at(first + i).startsWith(prefix), qPrintable(lines.at(first + i)));
            QVERIFY(lines.at(first + i).size() > prefix.size() + 4);
        }
        QCOMPARE(lines.at(first + 5), QString());
    }

    void storedTextEndsEveryLineWithCrLf() {
        const QString text = HelpText();
        QVERIFY(text.endsWith(QStringLiteral("\r\n")));
        // No lone carriage return or line feed anywhere.
        QCOMPARE(text.count(u'\r'), text.count(QStringLiteral("\r\n")));
        QCOMPARE(text.count(u'\n'), text.count(QStringLiteral("\r\n")));
        QCOMPARE(text.chopped(2).split(QStringLiteral("\r\n")), HelpLines());
    }

    void viewerWindowAndControls() {
        Form7* viewer = Form7::ShowHelp(nullptr);
        QVERIFY(viewer != nullptr);
        QVERIFY(QTest::qWaitForWindowExposed(viewer));
        QCOMPARE(viewer->windowTitle(), QStringLiteral("Yuanmate V5.5 帮助"));
        // 4740 x 6240 twips at 15 twips a pixel, and the border does not resize it.
        QCOMPARE(viewer->size(), QSize(316, 416));
        QCOMPARE(viewer->minimumSize(), viewer->maximumSize());

        QPushButton* command2 = Command2(viewer);
        QLineEdit* text2 = Title(viewer);
        QPlainTextEdit* text1 = Page(viewer);
        QCOMPARE(command2->text(), QStringLiteral("退出(&X)"));
        QCOMPARE(text2->text(), QStringLiteral("Yuanmate 5.5 帮助说明"));
        QVERIFY(text2->font().bold());
        QCOMPARE(text2->palette().color(QPalette::Text), QColor(255, 0, 0));
        QCOMPARE(text1->palette().color(QPalette::Base), QColor(255, 255, 192));
        QCOMPARE(text1->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        // The button sits above the title, the title above the page.
        QVERIFY(command2->geometry().bottom() < text2->geometry().top());
        QVERIFY(text2->geometry().bottom() < text1->geometry().top());
        QCOMPARE(text1->geometry().bottom(), viewer->rect().bottom());

        QCOMPARE(text1->toPlainText(), HelpText().chopped(2).replace("\r\n", "\n"));
        QCOMPARE(viewer->helpText(), HelpText());
    }

    void opensWithPageFocusedAndAtTopThenTabToExit() {
        Form7* viewer = Form7::ShowHelp(nullptr);
        QVERIFY(QTest::qWaitForWindowActive(viewer));
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(Page(viewer)));
        QCOMPARE(Page(viewer)->verticalScrollBar()->value(), 0);
        QVERIFY(Page(viewer)->verticalScrollBar()->maximum() > 0); // the page is long
        QCOMPARE(Page(viewer)->textCursor().position(), 0);
        QTest::keyClick(Page(viewer), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(Command2(viewer)));
        // The empty first line is the first visible one.
        const QTextBlock top = Page(viewer)->cursorForPosition(QPoint(2, 2)).block();
        QCOMPARE(top.blockNumber(), 0);
        QCOMPARE(top.text(), QString());
        QCOMPARE(top.next().text(), QStringLiteral("一、简介："));
    }

    void neitherFieldAcceptsTyping_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("typed");
        const char* fields[] = {"Text1", "Text2"};
        for (const char* field : fields) {
            QTest::addRow("%s letter", field) << field << int(Qt::Key_A) << "a";
            QTest::addRow("%s backspace", field) << field << int(Qt::Key_Backspace) << "";
            QTest::addRow("%s delete", field) << field << int(Qt::Key_Delete) << "";
            QTest::addRow("%s enter", field) << field << int(Qt::Key_Return) << "\r";
        }
    }
    void neitherFieldAcceptsTyping() {
        QFETCH(QString, field);
        QFETCH(int, key);
        QFETCH(QString, typed);
        Form7* viewer = Form7::ShowHelp(nullptr);
        QVERIFY(QTest::qWaitForWindowActive(viewer));
        QWidget* target = viewer->findChild<QWidget*>(field);
        QVERIFY(target != nullptr);
        target->setFocus();
        const QString pageBefore = Page(viewer)->toPlainText();
        const QString titleBefore = Title(viewer)->text();
        // In the middle of the text, where deleting would remove something either way.
        Page(viewer)->moveCursor(QTextCursor::Down);
        Page(viewer)->moveCursor(QTextCursor::EndOfLine);
        Title(viewer)->setCursorPosition(5);
        QTest::keyClick(target, Qt::Key(key), Qt::NoModifier);
        QTest::keyClicks(target, typed);
        QCOMPARE(Page(viewer)->toPlainText(), pageBefore);
        QCOMPARE(Title(viewer)->text(), titleBefore);
        QVERIFY(viewer->isVisible());
    }

    void secondShowBringsTheSameWindowUnchanged() {
        Form7* first = Form7::ShowHelp(nullptr);
        QVERIFY(QTest::qWaitForWindowExposed(first));
        Page(first)->verticalScrollBar()->setValue(Page(first)->verticalScrollBar()->maximum());
        QVERIFY(Page(first)->verticalScrollBar()->value() > 0);
        QWidget other;
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));

        const auto viewers = [] {
            int count = 0;
            for (QWidget* w : QApplication::topLevelWidgets()) {
                count += qobject_cast<Form7*>(w) != nullptr ? 1 : 0;
            }
            return count;
        };
        Form7* second = Form7::ShowHelp(&other);
        QCOMPARE(second, first);
        QCOMPARE(viewers(), 1);
        QVERIFY(QTest::qWaitForWindowActive(second));
        // Not loaded again: a fresh load would have put the page back at its top.
        QVERIFY(Page(second)->verticalScrollBar()->value() > 0);
        // F1 inside the viewer opens nothing more.
        QTest::keyClick(Page(second), Qt::Key_F1);
        QCOMPARE(Form7::Instance(), first);
        QVERIFY(first->isVisible());
        QCOMPARE(viewers(), 1);
    }

    void exitButtonUnloadsAndNextShowLoadsAfresh_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("click") << "click";
        QTest::newRow("alt+x") << "alt+x";
        QTest::newRow("close box") << "close";
    }
    void exitButtonUnloadsAndNextShowLoadsAfresh() {
        QFETCH(QString, how);
        QPointer<Form7> first = Form7::ShowHelp(nullptr);
        QVERIFY(QTest::qWaitForWindowActive(first));
        Page(first)->verticalScrollBar()->setValue(Page(first)->verticalScrollBar()->maximum());
        if (how == QStringLiteral("click")) {
            QTest::mouseClick(Command2(first), Qt::LeftButton);
        } else if (how == QStringLiteral("alt+x")) {
            QTest::keyClick(Page(first), Qt::Key_X, Qt::AltModifier);
        } else {
            first->close();
        }
        QTRY_VERIFY(first.isNull()); // deleted on close
        QVERIFY(Form7::Instance() == nullptr);

        Form7* again = Form7::ShowHelp(nullptr);
        QVERIFY(QTest::qWaitForWindowActive(again));
        QCOMPARE(Page(again)->verticalScrollBar()->value(), 0);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(Page(again)));
    }
};

QTEST_MAIN(HelpWindowTest)
#include "help_window_test.moc"
