// The main window as a user drives it: typing trades key by key, reading the result rows
// back as a broker's statement would be checked, the selectors, the function keys, the
// settings file it leaves behind, and the single running copy.
#include "core/program_state.h"
#include "core/settings_file.h"
#include "ui/help/help_window.h"
#include "ui/main/main_window.h"
#include "ui_test_support.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontInfo>
#include <QFontMetrics>
#include <QImage>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using namespace ym::ui;

namespace {

// Scheme 0, the colours of a new settings file.
const QColor kProfitColor(255, 128, 128);
const QColor kFlatColor(255, 255, 0);
const QColor kLossColor(128, 255, 128);
const QColor kAPanelColor(128, 128, 255);

const QString kSettingsFile = QStringLiteral("Yuanmate5.ini");

// One run of the program in a folder of its own, with messages and program starts
// recorded instead of shown or run.
struct Session {
    TempWorkingDirectory dir;
    RecordingMessages messages;
    RecordingLauncher launcher;
    ym::ProgramState state;
    std::unique_ptr<Form1> form;

    bool load() {
        form = std::make_unique<Form1>(state);
        return form->Form_Load();
    }
    bool start() {
        if (!load()) {
            return false;
        }
        form->show();
        form->activateWindow();
        return QTest::qWaitForWindowActive(form.get());
    }
    QLabel* label(const QString& name) const { return form->findChild<QLabel*>(name); }
    QLineEdit* field(const QString& name) const { return form->findChild<QLineEdit*>(name); }
    QWidget* widget(const QString& name) const { return form->findChild<QWidget*>(name); }
    bool checked(const QString& name) const {
        return form->findChild<QRadioButton*>(name)->isChecked();
    }
    void click(const QString& name) const { QTest::mouseClick(widget(name), Qt::LeftButton); }
    QString text(const QString& name) const { return label(name)->text(); }
    // The result panel shown: "A", "B", or "?" when both or neither.
    QString panel() const {
        const bool a = widget("Picture2_0")->isVisible(), b = widget("Picture2_1")->isVisible();
        return a == b ? "?" : a ? "A" : "B";
    }
    QStringList shown() const { return messages.shown(); }
    QByteArray fileBytes() const { return ReadTestFile(dir.filePath(kSettingsFile)); }
    QStringList values(const QString& prefix, int count) const {
        QStringList values;
        for (int i = 0; i < count; ++i) {
            values << label(prefix + QString::number(i))->text();
        }
        return values;
    }
};

QWidget* Focused() {
    return QApplication::focusWidget();
}

// Types into whatever has the focus, then Enter.
void TypeAndEnter(const QString& text) {
    QTest::keyClicks(Focused(), text);
    QTest::keyClick(Focused(), Qt::Key_Return);
}

// Buy price, Enter, sell price, Enter, quantity, Enter, and Enter on "计 算(D)".
void TypeTrade(const QString& buy, const QString& sell, const QString& quantity) {
    TypeAndEnter(buy);
    TypeAndEnter(sell);
    TypeAndEnter(quantity);
    QTest::keyClick(Focused(), Qt::Key_Return);
}

// What a screen reader speaks as the control's name.
QString SpokenText(QWidget* control) {
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(control);
    return face != nullptr ? face->text(QAccessible::Name) : QStringLiteral("<none>");
}

// Opens a field's context menu and triggers the entry whose text begins with `entry`.
bool TriggerMenuEntry(QWidget* field, const QString& entry) {
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(2, 2),
                            field->mapToGlobal(QPoint(2, 2)));
    QCoreApplication::sendEvent(field, &event);
    for (QWidget* w : QApplication::topLevelWidgets()) {
        auto* menu = qobject_cast<QMenu*>(w);
        if (menu == nullptr || !menu->isVisible()) {
            continue;
        }
        for (QAction* action : menu->actions()) {
            if (action->text().startsWith(entry) && action->isEnabled()) {
                action->trigger();
                menu->close();
                return true;
            }
        }
        menu->close();
    }
    return false;
}

QColor TextColor(const QWidget* w) {
    return w->palette().color(QPalette::WindowText);
}

// The eight labels of the net-profit and yield rows of both panels.
const QStringList kProfitLabels{"Label3_5", "Label4_5", "Label3_6", "Label4_6",
                                "Label7_7", "Label8_7", "Label7_8", "Label8_8"};

QStringList ZeroRows(int count, int yieldRow) {
    QStringList rows;
    for (int i = 0; i < count; ++i) {
        rows << (i == yieldRow ? QStringLiteral("0.00 %") : QStringLiteral("0.00元"));
    }
    return rows;
}

QStringList Words(const char* text) {
    return QString::fromUtf8(text).split(u' ', Qt::SkipEmptyParts);
}

// Label4_0 .. Label4_9 in `rows`, separated by "|".
struct TradeCase {
    const char *name, *buy, *sell, *quantity, *rows;
    QColor profitColor;
};

// How text reaches a field: typed key by key, or all at once by Ctrl+V, by the context
// menu's Paste, or as an input method's commit.
enum class Entry { Typed, KeyPaste, MenuPaste, InputMethod };

// "\b" in `keys` is Backspace. A selection of length 0 puts the caret at selStart.
struct FilterCase {
    const char *name, *field, *before;
    int selStart, selLength;
    const char *keys, *after;
    Entry entry = Entry::Typed;
};

struct CommitCase {
    const char *name, *field, *typed, *shown;
    double stored;
    const char* next;
};

struct SelectorCase {
    const char *name, *clicks;
    int market, type;
    bool bPanel;
    double commissionRate, minCommission;
};

// `how` is a key or a tool button, `companion` a file put in the working folder,
// `started` the file name of what was started.
struct LaunchCase {
    const char *name, *how, *companion, *available;
    bool startSucceeds;
    const char *started, *notice;
};

struct PreviewCase {
    const char* name;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    bool reachesField;
};

} // namespace

Q_DECLARE_METATYPE(TradeCase)
Q_DECLARE_METATYPE(FilterCase)
Q_DECLARE_METATYPE(CommitCase)
Q_DECLARE_METATYPE(SelectorCase)
Q_DECLARE_METATYPE(LaunchCase)
Q_DECLARE_METATYPE(PreviewCase)

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { InstallModalWatchdog(); }
    void cleanup() {
        if (Form7* help = Form7::Instance()) {
            help->close();
        }
    }

    void screenReaderNamesOfTheControls() {
        Session s;
        QVERIFY(s.start());
        const QStringList names{"Text1", "Text3", "Text2", "Text4", "Text5", "Text6", "Label4_5"};
        const QStringList spoken{"买入价格", "卖出价格", "买卖数量",     "计算",
                                 "清除",     "退出",     "纯利润 0.00元"};
        for (int i = 0; i < names.size(); ++i) {
            QCOMPARE(SpokenText(s.widget(names[i])), spoken[i]);
        }
    }

    void firstStartCreatesDefaultsAndOpensShenzhenAShares() {
        Session s;
        QVERIFY(!QFileInfo::exists(s.dir.filePath(kSettingsFile)));
        QVERIFY(s.start());
        QVERIFY(s.messages.messages.isEmpty());

        const QByteArray bytes = s.fileBytes();
        QVERIFY(bytes.startsWith("[\xC9\xCF\xBA\xA3]\r\nA1=0.0035\r\n"));
        QVERIFY(bytes.contains("[Select]\r\nSelect1=2\r\nSelect2=1"));
        QVERIFY(bytes.contains("[SHOWCOLOR]\r\nColor= 0\r\nSColor1=&HFF8080"));

        QCOMPARE(ym::StoredNumber(s.state.CurMarket), 2);
        QCOMPARE(ym::StoredNumber(s.state.CurType), 1);
        QVERIFY(s.checked("Option2") && s.checked("Option3") && !s.checked("Option1"));
        QCOMPARE(s.panel(), "A");
        QCOMPARE(s.widget("Picture2_0")->palette().color(QPalette::Window), kAPanelColor);
        // Shenzhen A shares: B1..B6.
        QCOMPARE(s.state.rates.CommissionRate, 0.0035);
        QCOMPARE(s.state.rates.MinCommission, 5.0);
        QCOMPARE(Focused(), s.widget("Text1"));
        QCOMPARE(s.values("Label4_", 10), ZeroRows(10, 6));
    }

    void shanghaiATrades_data() {
        const TradeCase cases[] = {
            {"round trip 1000", "10", "11", "1000",
             "73.50元|84.00元|2.00元|0.00元|159.50元|840.50元|8.34 "
             "%|10,076.00元|10,916.50元|10.16元",
             kProfitColor},
            {"minimum commission 100", "10", "11", "100",
             "20.00元|8.40元|2.00元|0.00元|30.40元|69.60元|6.86 %|1,015.00元|1,084.60元|10.31元",
             kProfitColor},
            {"buy leg only", "10", "", "1000",
             "35.00元|40.00元|1.00元|0.00元|76.00元|0.00元|0.00 %|10,076.00元|0.00元|10.16元",
             kFlatColor},
            {"sell price typed as 0", "10", "0", "1000",
             "35.00元|40.00元|1.00元|0.00元|76.00元|0.00元|0.00 %|10,076.00元|-1.00元|10.16元",
             kFlatColor},
            {"loss", "10", "9", "1000",
             "66.50元|76.00元|2.00元|0.00元|144.50元|-1,144.50元|-11.36 %|10,076.00元|8,931.50元|"
             "10.16元",
             kLossColor},
            {"sell leg only", "", "11", "1000",
             "38.50元|44.00元|1.00元|0.00元|83.50元|0.00元|0.00 %|0.00元|10,916.50元|0.00元",
             kFlatColor},
        };
        AddCaseRows(cases);
    }

    void shanghaiATrades() {
        QFETCH(TradeCase, c);
        const QStringList rows = QString::fromUtf8(c.rows).split(u'|');
        Session s;
        QVERIFY(s.start());
        s.click("Option1");
        QCOMPARE(ym::StoredNumber(s.state.CurMarket), 1);
        s.field("Text1")->setFocus();

        TypeAndEnter(c.buy);
        QCOMPARE(Focused(), s.widget("Text3"));
        TypeAndEnter(c.sell);
        QCOMPARE(Focused(), s.widget("Text2"));
        TypeAndEnter(c.quantity);
        QCOMPARE(Focused(), s.widget("Text4"));
        QTest::keyClick(Focused(), Qt::Key_Return);

        QCOMPARE(s.values("Label4_", 10), rows);
        // A screen reader on a value speaks the whole row.
        QCOMPARE(SpokenText(s.label("Label4_5")), QStringLiteral("纯利润 ") + rows[5]);
        QCOMPARE(SpokenText(s.label("Label4_9")), QStringLiteral("保本卖出价 ") + rows[9]);
        // The hidden B-share panel is written too: same commission, stamp, fees total.
        QCOMPARE(s.text("Label8_0"), rows[0]);
        QCOMPARE(s.text("Label8_2"), QStringLiteral("0.00元"));
        QCOMPARE(s.text("Label8_6"), rows[4]);
        QCOMPARE(s.text("Label8_11"), rows[9]);
        for (const QString& name : kProfitLabels) {
            QCOMPARE(TextColor(s.label(name)), c.profitColor);
        }
        // Ready for the next trade.
        QLineEdit* text1 = s.field("Text1");
        QCOMPARE(Focused(), text1);
        QCOMPARE(text1->selectedText(), text1->text());
        QVERIFY(s.messages.messages.isEmpty());
    }

    void shenzhenBSharesCapTheSettlementFee() {
        Session s;
        QVERIFY(s.start());
        s.click("Option6");
        QCOMPARE(s.panel(), "B");
        s.field("Text1")->setFocus();
        TypeTrade("10", "12", "200000");

        const QStringList expected{"18,920.00元", "13,200.00元",    "1,000.00元",    "1,320.00元",
                                   "202.40元",    "0.00元",         "34,642.40元",   "365,357.60元",
                                   "18.12 %",     "2,015,792.00元", "2,381,149.60元"};
        QCOMPARE(s.values("Label8_", 11), expected);
        QCOMPARE(TextColor(s.label("Label8_7")), kProfitColor);

        // Shanghai has no cap; the B-share panel stays, the rows start again from zero.
        s.click("Option1");
        QCOMPARE(s.panel(), "B");
        QCOMPARE(s.values("Label8_", 12), ZeroRows(12, 8));
        QTest::keyClick(s.widget("Text1"), Qt::Key_D);
        QCOMPARE(s.text("Label8_2"), QStringLiteral("2,200.00元"));
    }

    // The largest trade the fields admit: every amount is drawn whole, however long.
    void largestAmountsShowWhole_data() {
        QTest::addColumn<QString>("option");
        QTest::addColumn<QString>("values");
        QTest::newRow("A shares") << "Option3"
                                  << "Label4_";
        QTest::newRow("B shares") << "Option6"
                                  << "Label8_";
    }
    void largestAmountsShowWhole() {
        QFETCH(QString, option);
        QFETCH(QString, values);
        Session s;
        QVERIFY(s.start());
        s.click(option);
        s.field("Text1")->setFocus();
        TypeTrade("999999", "9999999", "999999999");
        const int rows = option == "Option3" ? 10 : 12;
        for (int i = 0; i < rows; ++i) {
            const QLabel* value = s.label(values + QString::number(i));
            const int drawn = QFontMetrics(value->font()).horizontalAdvance(value->text());
            QVERIFY2(drawn <= value->contentsRect().width(),
                     qPrintable(value->text() + QStringLiteral(" needs %1 px of %2")
                                                    .arg(drawn)
                                                    .arg(value->contentsRect().width())));
        }
    }

    // Unscaled, with the Song face the set-up installs, every result row is drawn solid in
    // its colour, values written smaller included: no pixel of a row is a blend of its
    // colour with the panel's, which on the pale panels leaves pale colours unreadable.
    void resultRowsAreDrawnSolid_data() {
        QTest::addColumn<QString>("buy");
        QTest::addColumn<QString>("sell");
        QTest::addColumn<QString>("quantity");
        QTest::newRow("profit") << "10"
                                << "12"
                                << "1000";
        QTest::newRow("loss") << "12"
                              << "10"
                              << "1000";
        QTest::newRow("largest amounts") << "999999"
                                         << "9999999"
                                         << "999999999";
    }
    void resultRowsAreDrawnSolid() {
        QFETCH(QString, buy);
        QFETCH(QString, sell);
        QFETCH(QString, quantity);
        Session s;
        QVERIFY(s.start());
        QWidget* panel = s.widget("Picture2_0");
        if (!QFontInfo(s.label("Label3_0")->font()).family().startsWith("AR PL UMing")) {
            QSKIP("AR PL UMing is not installed");
        }
        if (panel->devicePixelRatio() != 1.0) {
            QSKIP("the screen is scaled");
        }
        s.field("Text1")->setFocus();
        TypeTrade(buy, sell, quantity);

        const QImage image = panel->grab().toImage();
        for (const QLabel* label : panel->findChildren<QLabel*>()) {
            const QColor ink = TextColor(label);
            int inked = 0;
            for (int y = label->y(); y < label->y() + label->height(); ++y) {
                for (int x = label->x(); x < label->x() + label->width(); ++x) {
                    const QColor pixel = image.pixelColor(x, y);
                    QVERIFY2(pixel == ink || pixel == kAPanelColor,
                             qPrintable(QStringLiteral("%1 \"%2\" at %3 pt: %4 at (%5, %6)")
                                            .arg(label->objectName(), label->text())
                                            .arg(label->font().pointSizeF())
                                            .arg(pixel.name())
                                            .arg(x)
                                            .arg(y)));
                    inked += pixel == ink ? 1 : 0;
                }
            }
            QVERIFY2(inked > 0, qPrintable(label->objectName()));
        }
    }

    void dUsesTheStoredPriceAndAClickCommitsFirst() {
        Session s;
        QVERIFY(s.start());
        s.click("Option1");
        s.field("Text1")->setFocus();
        TypeTrade("10", "11", "1000");
        QCOMPARE(s.text("Label4_0"), QStringLiteral("73.50元"));

        // "20" replaces the selected "10" but is not committed yet.
        QTest::keyClicks(s.field("Text1"), "20");
        QTest::keyClick(s.field("Text1"), Qt::Key_D);
        QCOMPARE(s.field("Text1")->text(), QStringLiteral("20"));
        QCOMPARE(s.text("Label4_0"), QStringLiteral("73.50元"));
        QCOMPARE(s.state.BuyPrice, 10.0);

        // The click takes the focus from the field, which commits 20, then calculates:
        // 70.00 + 38.50 commission.
        s.click("Text4");
        QCOMPARE(s.state.BuyPrice, 20.0);
        QCOMPARE(s.text("Label4_0"), QStringLiteral("108.50元"));
        QCOMPARE(TextColor(s.label("Label4_5")), kLossColor);
    }

    void inputFilters_data() {
        const FilterCase cases[] = {
            {"point at the caret start", "Text1", "12", 0, 0, ".", "12"},
            {"point over a selection from 0", "Text3", "12", 0, 2, ".", "12"},
            {"second point", "Text1", "", 0, 0, "12.5.", "12.5"},
            {"point replaces a selection with a point", "Text1", "12.5", 1, 3, ".", "1."},
            {"point over a selection without one", "Text1", "12.5", 1, 1, ".", "12.5"},
            {"letters, minus, blank", "Text1", "", 0, 0, "1a2-3 4+", "1234"},
            {"quantity refuses the point", "Text2", "", 0, 0, "1.5", "15"},
            {"price length", "Text1", "", 0, 0, "123456789", "1234567"},
            {"quantity length", "Text2", "", 0, 0, "12345678901", "123456789"},
            {"backspace", "Text1", "12.5", 4, 0, "\b\b7", "127"},
            {"pasted price", "Text1", "", 0, 0, "1x.5.9", "1.59", Entry::KeyPaste},
            {"pasted line break does not commit", "Text1", "", 0, 0, "12\r\n3", "123",
             Entry::KeyPaste},
            {"menu paste of a negative price", "Text1", "", 0, 0, "-10", "10", Entry::MenuPaste},
            {"menu paste of letters", "Text3", "", 0, 0, "ab-12.5", "12.5", Entry::MenuPaste},
            {"menu paste over a selection", "Text1", "12.5", 0, 2, ".7x8", "78.5",
             Entry::MenuPaste},
            {"menu paste into the quantity", "Text2", "", 0, 0, "1e5", "15", Entry::MenuPaste},
            {"input method commit", "Text1", "12", 2, 0, "-5", "12", Entry::InputMethod},
        };
        AddCaseRows(cases);
    }

    void inputFilters() {
        QFETCH(FilterCase, c);
        Session s;
        QVERIFY(s.start());
        QLineEdit* edit = s.field(c.field);
        edit->setFocus();
        edit->setText(c.before);
        if (c.selLength > 0) {
            edit->setSelection(c.selStart, c.selLength);
        } else {
            edit->setCursorPosition(c.selStart);
        }
        switch (c.entry) {
        case Entry::KeyPaste:
            QGuiApplication::clipboard()->setText(c.keys);
            QTest::keySequence(edit, QKeySequence::Paste);
            break;
        case Entry::MenuPaste:
            QGuiApplication::clipboard()->setText(c.keys);
            QVERIFY(TriggerMenuEntry(edit, QCoreApplication::translate("QLineEdit", "&Paste")));
            break;
        case Entry::InputMethod: {
            QInputMethodEvent event;
            event.setCommitString(QString::fromUtf8(c.keys));
            QCoreApplication::sendEvent(edit, &event);
            break;
        }
        case Entry::Typed:
            for (const QChar ch : QString::fromUtf8(c.keys)) {
                if (ch == QLatin1Char('\b')) {
                    QTest::keyClick(edit, Qt::Key_Backspace);
                } else {
                    QTest::keyClicks(edit, QString(ch));
                }
            }
        }
        QCOMPARE(edit->text(), QString::fromUtf8(c.after));
        QCOMPARE(Focused(), edit);
        QCOMPARE(s.state.BuyPrice, 0.0);
        QVERIFY(s.messages.messages.isEmpty());
    }

    void commits_data() {
        const CommitCase cases[] = {
            {"two decimals", "Text1", "12.5", "12.50", 12.5, "Text3"},
            // Shown with four decimals and, once the focus has left, stored as shown.
            {"five decimals", "Text1", "1.23456", "1.2346", 1.2346, "Text3"},
            {"empty buy", "Text1", "", "", 0.0, "Text3"},
            {"highest buy", "Text1", "999999", "999999", 999999.0, "Text3"},
            {"sell has no limit", "Text3", "1234567", "1234567", 1234567.0, "Text2"},
            {"quantity zeros", "Text2", "007", "7", 7.0, "Text4"},
        };
        AddCaseRows(cases);
    }

    void commits() {
        QFETCH(CommitCase, c);
        const QString field = c.field;
        Session s;
        QVERIFY(s.start());
        // A value from before, so that an empty field visibly stores 0.
        s.state.BuyPrice = s.state.SellPrice = s.state.Quantity = 3;
        s.field(field)->setFocus();
        TypeAndEnter(c.typed);
        QCOMPARE(s.field(field)->text(), QString::fromUtf8(c.shown));
        QCOMPARE(Focused(), s.widget(c.next));
        const double value = field == "Text1"   ? s.state.BuyPrice
                             : field == "Text3" ? s.state.SellPrice
                                                : s.state.Quantity;
        QCOMPARE(value, c.stored);
        QVERIFY(s.messages.messages.isEmpty());
    }

    void refusedBuyPrice_data() {
        QTest::addColumn<bool>("byEnter");
        QTest::newRow("Enter") << true;
        QTest::newRow("leaving the field") << false;
    }

    void refusedBuyPrice() {
        QFETCH(bool, byEnter);
        Session s;
        QVERIFY(s.start());
        s.field("Text1")->setFocus();
        TypeAndEnter("10");
        s.field("Text1")->setFocus();
        s.field("Text1")->selectAll();
        QTest::keyClicks(s.field("Text1"), "1234567");
        if (byEnter) {
            QTest::keyClick(Focused(), Qt::Key_Return);
        } else {
            s.click("Text3");
        }

        const QString refusal =
            QStringLiteral("交易小算盘Yuanmate V5.5: 输入的值不能大于等于1000000,请重新输入!");
        QCOMPARE(s.shown(), QStringList{refusal});
        QCOMPARE(s.messages.messages.front().buttons, MessageButtons::Ok);
        QCOMPARE(s.field("Text1")->text(), QString());
        QCOMPARE(s.state.BuyPrice, 10.0);
        QCOMPARE(Focused(), s.widget(byEnter ? "Text1" : "Text3"));
        // Undo cannot bring the refused price back, neither by the key nor the menu.
        QTest::keySequence(s.field("Text1"), QKeySequence::Undo);
        QVERIFY(
            !TriggerMenuEntry(s.field("Text1"), QCoreApplication::translate("QLineEdit", "&Undo")));
        QCOMPARE(s.field("Text1")->text(), QString());
        if (byEnter) {
            // The emptied field commits as 0 on the next Enter.
            QTest::keyClick(Focused(), Qt::Key_Return);
            QCOMPARE(s.state.BuyPrice, 0.0);
            QCOMPARE(s.shown(), QStringList{refusal});
        }
    }

    void selectorsResetAndSwitch_data() {
        const SelectorCase cases[] = {
            {"B shares", "Option6", 2, 5, true, 0.0043, 0.0},
            {"bonds", "Option4", 2, 2, false, 0.002, 5.0},
            {"Shanghai", "Option1", 1, 1, false, 0.0035, 10.0},
            {"Shanghai funds", "Option1 Option5", 1, 3, false, 0.0035, 10.0},
            {"B shares then Shanghai", "Option6 Option1", 1, 5, true, 0.0043, 0.0},
            {"B shares and back", "Option6 Option3", 2, 1, false, 0.0035, 5.0},
        };
        AddCaseRows(cases);
    }

    void selectorsResetAndSwitch() {
        QFETCH(SelectorCase, c);
        Session s;
        QVERIFY(s.start());
        s.field("Text1")->setFocus();
        TypeTrade("10", "11", "1000");
        QCOMPARE(TextColor(s.label("Label4_5")), kProfitColor);
        // Not committed: the selector reads it again.
        s.field("Text3")->setText("12");

        for (const QString& name : Words(c.clicks)) {
            s.click(name);
        }
        QCOMPARE(ym::StoredNumber(s.state.CurMarket), c.market);
        QCOMPARE(ym::StoredNumber(s.state.CurType), c.type);
        QCOMPARE(s.panel(), c.bPanel ? "B" : "A");
        QCOMPARE(s.state.rates.CommissionRate, c.commissionRate);
        QCOMPARE(s.state.rates.MinCommission, c.minCommission);
        QCOMPARE(s.values("Label4_", 10), ZeroRows(10, 6));
        QCOMPARE(s.values("Label8_", 12), ZeroRows(12, 8));
        for (const QString& name : kProfitLabels) {
            QCOMPARE(TextColor(s.label(name)), kFlatColor);
        }
        QCOMPARE(s.field("Text1")->text(), QStringLiteral("10"));
        QCOMPARE(s.state.BuyPrice, 10.0);
        QCOMPARE(s.state.SellPrice, 12.0);
        QCOMPARE(s.state.Quantity, 1000.0);
    }

    void escapeChangesNothingAndCClearsEverything() {
        Session s;
        QVERIFY(s.start());
        s.field("Text1")->setFocus();
        TypeTrade("10", "11", "1000");
        const QStringList rows = s.values("Label4_", 10);
        QSignalSpy ended(s.form.get(), &Form1::programEnded);
        QTest::keyClick(Focused(), Qt::Key_Escape);
        QCOMPARE(s.values("Label4_", 10), rows);
        QCOMPARE(s.field("Text1")->text(), QStringLiteral("10"));
        QCOMPARE(ended.size(), 0);
        QVERIFY(s.messages.messages.isEmpty());

        s.field("Text2")->setFocus();
        QTest::keyClick(Focused(), Qt::Key_C);

        for (const char* name : {"Text1", "Text2", "Text3"}) {
            QCOMPARE(s.field(name)->text(), QString());
        }
        QCOMPARE(s.state.BuyPrice + s.state.SellPrice + s.state.Quantity, 0.0);
        QCOMPARE(Focused(), s.widget("Text1"));
        QCOMPARE(s.values("Label4_", 10), ZeroRows(10, 6));
        QCOMPARE(TextColor(s.label("Label3_5")), kFlatColor);
        QCOMPARE(ym::StoredNumber(s.state.CurMarket), 2);

        QTest::keyClick(Focused(), Qt::Key_D);
        QCOMPARE(s.values("Label4_", 10), ZeroRows(10, 6));
    }

    void activationAfterTheHelpViewerRestoresTheBPanel() {
        Session s;
        QByteArray bytes = QByteArray::fromStdString(ym::DefaultSettingsBytes());
        QVERIFY(bytes.contains("Select1=2\r\nSelect2=1"));
        bytes.replace("Select1=2\r\nSelect2=1", "Select1=1\r\nSelect2=5");
        QVERIFY(WriteTestFile(s.dir.filePath(kSettingsFile), bytes));
        QVERIFY(s.start());
        QVERIFY(s.checked("Option6") && s.checked("Option1"));
        QCOMPARE(s.panel(), "B");

        s.form->ApplyDisplayScheme();
        QCOMPARE(s.panel(), "A");

        // Restoring the window alone is no activation: the A-share panel stays.
        s.form->showMinimized();
        s.form->showNormal();
        s.form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(s.form.get()));
        QCOMPARE(s.panel(), "A");

        QTest::keyClick(Focused(), Qt::Key_F1);
        Form7* help = Form7::Instance();
        QVERIFY(help != nullptr);
        QVERIFY(QTest::qWaitForWindowActive(help));
        help->close();
        s.form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(s.form.get()));
        QCOMPARE(s.panel(), "B");
        QCOMPARE(s.state.rates.CommissionRate, 0.0043);
    }

    void endingTheProgram_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("saves");
        QTest::newRow("X key") << "key" << true;
        QTest::newRow("x key") << "lower" << true;
        QTest::newRow("exit button field") << "Text6" << true;
        QTest::newRow("title strip X") << "Label15" << false;
        QTest::newRow("close request") << "close" << false;
        QTest::newRow("X key, file read-only") << "read-only" << false;
    }

    void endingTheProgram() {
        QFETCH(QString, how);
        QFETCH(bool, saves);
        Session s;
        QVERIFY(s.start());
        s.click("Option1");
        s.click("Option6");
        if (how == "read-only") {
            QVERIFY(QFile::setPermissions(s.dir.filePath(kSettingsFile),
                                          QFileDevice::ReadOwner | QFileDevice::ReadGroup |
                                              QFileDevice::ReadOther));
        }
        const QByteArray before = s.fileBytes();
        QSignalSpy ended(s.form.get(), &Form1::programEnded);

        if (how == "key" || how == "read-only") {
            QTest::keyClick(s.widget("Text1"), Qt::Key_X);
        } else if (how == "lower") {
            QTest::keyClicks(s.widget("Text2"), "x");
        } else if (how == "close") {
            s.form->close();
        } else {
            s.click(how);
        }
        QCOMPARE(ended.size(), 1);
        if (how == "read-only") {
            QCOMPARE(s.shown(), QStringList{"警告:   ## Error save select!6004"});
        } else {
            QCOMPARE(ended.front().front().toInt(), 0);
            QVERIFY(s.messages.messages.isEmpty());
        }
        const QByteArray after = s.fileBytes();
        if (saves) {
            QVERIFY(after.contains("[Select]\r\nSelect1= 1\r\nSelect2= 5\r\n"));
            QVERIFY(!after.contains("Select1=2"));
            // Everything else stays as it was.
            QVERIFY(after.startsWith(before.left(before.indexOf("[Select]"))));
        } else {
            QCOMPARE(after, before);
        }
    }

    void damagedSettingsFileEndsTheStart_data() {
        QTest::addColumn<bool>("folder"); // else a file nobody may read
        QTest::addColumn<QString>("message");
        // A folder in the file's place cannot be created over.
        QTest::newRow("folder") << true << "  ## Error creat shanghai!6002-1";
        // A file nobody may read fails at the first read, Select1.
        QTest::newRow("no read permission") << false << "  ## Error read select1!6003-3";
    }

    void damagedSettingsFileEndsTheStart() {
        QFETCH(bool, folder);
        QFETCH(QString, message);
        Session s;
        const QString path = s.dir.filePath(kSettingsFile);
        const QByteArray bytes = QByteArray::fromStdString(ym::DefaultSettingsBytes());
        if (folder) {
            QVERIFY(QDir(s.dir.path()).mkdir(kSettingsFile));
        } else {
            QVERIFY(WriteTestFile(path, bytes));
            QVERIFY(QFile::setPermissions(path, QFileDevice::Permissions()));
        }
        QVERIFY(!s.load());
        QCOMPARE(s.shown(), QStringList{"警告: " + message});
        QCOMPARE(s.messages.messages.front().buttons, MessageButtons::Ok);
        QVERIFY(!s.form->isVisible());
        // Nothing is written on the way out.
        if (folder) {
            QVERIFY(QFileInfo(path).isDir());
        } else {
            QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner));
            QCOMPARE(s.fileBytes(), bytes);
        }
    }

    // A hand-edited file that lost keys still starts, with the file's own values, and says
    // once which keys to mend.
    void missingParametersAreToldOnce() {
        Session s;
        QByteArray bytes = QByteArray::fromStdString(ym::DefaultSettingsBytes());
        bytes.replace("A1=0.0035\r\nA2=10\r\n", "");
        bytes.replace("B3=0.004", "B3=1e400");
        QVERIFY(WriteTestFile(s.dir.filePath(kSettingsFile), bytes));
        QVERIFY(s.start());
        QCOMPARE(s.messages.messages.size(), 1);
        const RecordedMessage& notice = s.messages.messages.front();
        QCOMPARE(notice.title, QStringLiteral("提示"));
        QVERIFY2(notice.text.contains(QStringLiteral("A1, A2")) &&
                     notice.text.contains(QStringLiteral("B3")),
                 qPrintable(notice.text));
        QCOMPARE(s.fileBytes(), bytes); // told, not repaired
        s.click("Option1");
        QCOMPARE(s.state.rates.CommissionRate, -1.0);
        QCOMPARE(s.messages.messages.size(), 1);
    }

    void launching_data() {
        const LaunchCase cases[] = {
            {"F2 companion", "F2", "quick_sum.exe", "", true, "quick_sum.exe", ""},
            {"button 0 companion", "Command6_0", "quick_sum.exe", "", true, "Quick_sum.exe", ""},
            {"F3 companion", "F3", "Tradelog_pad.exe", "", true, "Tradelog_pad.exe", ""},
            {"F2 desktop", "F2", "", "gnome-calculator", true, "gnome-calculator", ""},
            {"notebook companion absent", "F3", "quick_sum.exe", "mousepad", true, "mousepad", ""},
            {"no calculator", "F2", "", "", true, "", "未找到可用的计算器程序"},
            {"no editor", "Command6_1", "", "", true, "", "未找到可用的记事本程序"},
            {"start fails", "F2", "", "gnome-calculator", false, "gnome-calculator",
             "无法启动计算器程序: gnome-calculator"},
        };
        AddCaseRows(cases);
    }

    void launching() {
        QFETCH(LaunchCase, c);
        const QString how = c.how, companion = c.companion, started = c.started;
        Session s;
        QVERIFY(s.start());
        if (!companion.isEmpty()) {
            QVERIFY(WriteTestFile(s.dir.filePath(companion), "#!/bin/sh\n", true));
        }
        s.launcher.availablePrograms = Words(c.available);
        s.launcher.startSucceeds = c.startSucceeds;
        QSignalSpy ended(s.form.get(), &Form1::programEnded);

        if (how == "F2" || how == "F3") {
            QTest::keyClick(s.widget("Text1"), how == "F2" ? Qt::Key_F2 : Qt::Key_F3);
        } else {
            s.click(how);
        }

        const QString here = QDir(s.dir.path()).absolutePath();
        if (started.isEmpty()) {
            QVERIFY(s.launcher.starts.isEmpty());
        } else {
            QCOMPARE(s.launcher.starts.size(), 1);
            const QFileInfo program(s.launcher.starts.front().program);
            QCOMPARE(program.fileName(), started);
            if (!companion.isEmpty() && started.compare(companion, Qt::CaseInsensitive) == 0) {
                QCOMPARE(program.absolutePath(), here);
            }
            QCOMPARE(QDir(s.launcher.starts.front().workingDirectory).absolutePath(), here);
        }
        if (*c.notice == '\0') {
            QVERIFY(s.messages.messages.isEmpty());
        } else {
            QCOMPARE(s.shown(), QStringList{"提示: " + QString::fromUtf8(c.notice)});
        }
        QCOMPARE(ended.size(), 0);
        QVERIFY(s.form->isVisible());
    }

    void keyPreview_data() {
        const PreviewCase cases[] = {
            {"F2", Qt::Key_F2, Qt::NoModifier, false},
            {"F6", Qt::Key_F6, Qt::NoModifier, true},
            {"Escape", Qt::Key_Escape, Qt::NoModifier, true},
            {"shift C", Qt::Key_C, Qt::ShiftModifier, false},
            {"alt D", Qt::Key_D, Qt::AltModifier, false},
            {"A", Qt::Key_A, Qt::NoModifier, true},
        };
        AddCaseRows(cases);
    }

    void keyPreview() {
        QFETCH(PreviewCase, c);
        Session s;
        QVERIFY(s.start());
        s.launcher.availablePrograms = QStringList{"gnome-calculator", "gedit"};
        QLineEdit* text2 = s.field("Text2");
        text2->setFocus();
        struct Recorder : QObject {
            QList<int> keys;
            bool eventFilter(QObject*, QEvent* event) override {
                if (event->type() == QEvent::KeyPress) {
                    keys << static_cast<QKeyEvent*>(event)->key();
                }
                return false;
            }
        } recorder;
        text2->installEventFilter(&recorder);
        QTest::keyClick(text2, c.key, c.modifiers);
        text2->removeEventFilter(&recorder);
        QCOMPARE(recorder.keys.contains(c.key), c.reachesField);
    }

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
        // Nothing read or created.
        QVERIFY(!QFileInfo::exists(secondDir.filePath(kSettingsFile)));
        QCOMPARE(first.state(), QProcess::Running);
        first.kill();
        QVERIFY(first.waitForFinished(10000));
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
