// The official fee model as a user sets it up and checks it: the fourth page of the
// settings dialog, the main window's model label and trade date, trades read back against a
// broker's statement, and the settings file the choice leaves (or does not leave) behind.
#include "core/program_state.h"
#include "core/settings_file.h"
#include "ui/main/main_window.h"
#include "ui_test_support.h"

#include <QApplication>
#include <QCheckBox>
#include <QDate>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QtTest>

#include <memory>

using namespace ym::ui;

namespace {

const QString kSettingsFile = QStringLiteral("Yuanmate5.ini");
const QString kPrompt = QStringLiteral("提示:   ** 参数信息已经改变,要存储当前的参数信息吗？");
const QString kStored = QStringLiteral("提示:   ** 参数信息已经存储完毕!立即生效.");
const QString kNoRules =
    QStringLiteral("提示: no official rules before 2015-08-01; use the classic parameters");

// A classic user's file: the defaults with Shanghai selected, and lines of their own that
// every save must keep.
QByteArray ClassicFile() {
    QByteArray bytes = QByteArray::fromStdString(ym::DefaultSettingsBytes());
    bytes.replace("Select1=2", "Select1=1");
    return bytes + "; bought at 10.00, see notebook\r\n[Mine]\r\nnote=x\r\n";
}

QByteArray OfficialFile(const QByteArray& section) {
    return ClassicFile() + "[FEERULES]\r\n" + section;
}

QWidget* Focused() {
    return QApplication::focusWidget();
}

QString Today() {
    return QDate::currentDate().toString(Qt::ISODate);
}

// The open settings dialog, or nullptr.
QWidget* Dialog() {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->objectName() == "Form3" && w->isVisible()) {
            return w;
        }
    }
    return nullptr;
}

// One run of the program in a folder of its own, started from a settings file's `bytes`;
// restart() runs it again on the file the first run left.
struct Session {
    TempWorkingDirectory dir;
    RecordingMessages messages;
    std::unique_ptr<ym::ProgramState> state;
    std::unique_ptr<Form1> form;

    bool start(const QByteArray& bytes = ClassicFile()) {
        return WriteTestFile(path(), bytes) && run();
    }
    bool restart() {
        form.reset();
        return run();
    }
    bool run() {
        state = std::make_unique<ym::ProgramState>();
        form = std::make_unique<Form1>(*state);
        if (!form->Form_Load()) {
            return false;
        }
        form->show();
        form->activateWindow();
        return QTest::qWaitForWindowActive(form.get());
    }
    // F5, then the fee rules page.
    bool open() const {
        QTest::keyPress(Focused(), Qt::Key_F5);
        if (Dialog() == nullptr || !QTest::qWaitForWindowActive(Dialog())) {
            return false;
        }
        get<QTabWidget>("SSTab1")->setCurrentWidget(get("Page_3"));
        return true;
    }
    // OK on the dialog, and the main window back.
    bool confirm() const {
        QTest::mouseClick(get("Command2"), Qt::LeftButton);
        return Dialog() == nullptr && QTest::qWaitForWindowActive(form.get());
    }
    template <class T = QWidget> T* get(const QString& name) const {
        return Dialog()->findChild<T*>(name);
    }
    template <class T = QWidget> T* main(const QString& name) const {
        return form->findChild<T*>(name);
    }
    // Selects a field's text and types over it, without Enter.
    void type(const QString& field, const QString& text) const {
        auto* edit = get<QLineEdit>(field);
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, text);
    }
    void click(const QString& name) const { QTest::mouseClick(get(name), Qt::LeftButton); }
    // Types a trade key by key (an empty price is skipped with Enter) and calculates.
    void trade(const char* buy, const char* sell, const char* quantity) const {
        main<QLineEdit>("Text1")->setFocus();
        for (const char* text : {buy, sell, quantity}) {
            QTest::keyClicks(Focused(), QString::fromLatin1(text));
            QTest::keyClick(Focused(), Qt::Key_Return);
        }
        QTest::keyClick(Focused(), Qt::Key_Return);
    }
    QStringList values(const QList<int>& rows) const {
        QStringList texts;
        for (const int row : rows) {
            texts << main<QLabel>(QStringLiteral("Label4_%1").arg(row))->text();
        }
        return texts;
    }
    QString modelLabel() const { return main<QLabel>("Label18")->text(); }
    // Alt+T, the day's digits over the date field's first section, Enter.
    void typeTradeDate(const char* digits) const {
        QTest::keyClick(Focused(), Qt::Key_T, Qt::AltModifier);
        QTest::keyClicks(Focused(), QString::fromLatin1(digits));
        QTest::keyClick(Focused(), Qt::Key_Return);
    }
    QStringList shown() const { return messages.shown(); }
    QString path() const { return dir.filePath(kSettingsFile); }
    QByteArray fileBytes() const { return ReadTestFile(path()); }
};

// The A-share panel's commission, stamp duty, transfer fee, other, fees total, total paid
// and total received rows.
const QList<int> kFeeRows{0, 1, 2, 3, 4, 7, 8};

struct TradeCase {
    const char *name, *buy, *sell, *rows;
};

struct DateCase {
    const char* name;
    bool official;
    const char* digits;
    bool refused;
    const char* label; // after the date was typed; "today" stands for today's date
};

struct RulesCase {
    const char *name, *digits, *stampRows;
};

struct TermCase {
    const char *name, *field, *text, *message;
};

} // namespace

Q_DECLARE_METATYPE(TradeCase)
Q_DECLARE_METATYPE(DateCase)
Q_DECLARE_METATYPE(RulesCase)
Q_DECLARE_METATYPE(TermCase)

class FeeRulesTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { InstallModalWatchdog(); }

    // A Shanghai A-share trade of 10.00 x 1000 = 10,000 yuan under today's rules (in force
    // since 2023-08-28) at a broker's 2.5‱, each fee rounded to the fen half up:
    //   commission 0.025 % of 10,000 = 2.50, raised to the 5.00 minimum;
    //   stamp duty 0.05 %, the seller only: 5.00 on the sell, nothing on the buy;
    //   transfer fee 0.001 % = 0.10;
    //   handling 0.00341 % = 0.341 -> 0.34 and regulatory 0.002 % = 0.20, which the panel,
    //   having no rows of their own, shows as 其它: 0.54.
    // Buy: 5.64 in fees, 10,005.64 paid. Sell: 10.64 in fees, 9,989.36 received.
    void officialTradeToTheFen_data() {
        const TradeCase cases[] = {
            {"buy", "10.00", "", "5.00元|0.00元|0.10元|0.54元|5.64元|10,005.64元|0.00元"},
            {"sell", "", "10.00", "5.00元|5.00元|0.10元|0.54元|10.64元|0.00元|9,989.36元"},
        };
        AddCaseRows(cases);
    }

    void officialTradeToTheFen() {
        QFETCH(TradeCase, c);
        Session s;
        QVERIFY(s.start());
        QCOMPARE(s.modelLabel(), QStringLiteral("经典参数"));
        QVERIFY(s.open());
        s.click("Option2");
        s.type("Text4_0", "0.00025");
        QTest::keyClick(Focused(), Qt::Key_Return);
        QCOMPARE(Focused(), s.get("Text4_1"));
        QVERIFY(s.confirm());
        QCOMPARE(s.shown(), (QStringList{kPrompt, kStored}));
        QCOMPARE(s.modelLabel(), "官方规则 " + Today());
        QCOMPARE(s.main<QDateEdit>("DTPicker1")->date(), QDate::currentDate());

        s.trade(c.buy, c.sell, "1000");
        QCOMPARE(s.values(kFeeRows), QString::fromUtf8(c.rows).split(u'|'));
    }

    // A user who never chooses the official model gets no section of it: the save leaves
    // the bytes the classic save gives, whatever they did on the fee rules page meanwhile.
    void classicUserKeepsTheFileAsTheClassicSaveWritesIt_data() {
        QTest::addColumn<QString>("steps");
        QTest::newRow("a parameter edited") << "";
        QTest::newRow("official chosen, then classic again") << "Option2 Option1";
        QTest::newRow("terms typed and ticked under classic") << "Text4_0 Check1 Check2";
    }

    void classicUserKeepsTheFileAsTheClassicSaveWritesIt() {
        QFETCH(QString, steps);
        Session s;
        QVERIFY(s.start());
        QVERIFY(s.open());
        for (const QString& step : steps.split(u' ', Qt::SkipEmptyParts)) {
            if (step.startsWith("Text")) {
                s.type(step, "0.0001");
            } else {
                s.click(step);
            }
        }
        s.get<QTabWidget>("SSTab1")->setCurrentIndex(0);
        s.type("Text2_0", ".005");
        QVERIFY(s.confirm());
        QCOMPARE(s.shown(), (QStringList{kPrompt, kStored}));
        QCOMPARE(s.modelLabel(), QStringLiteral("经典参数"));

        // The classic save of the same parameters and scheme, on a copy of the file.
        TempWorkingDirectory other;
        QVERIFY(WriteTestFile(other.filePath(kSettingsFile), ClassicFile()));
        ym::FeeParameters parameters = ym::FeeParameters::Defaults();
        parameters.shanghai[0] = 0.005;
        ym::DisplayScheme scheme;
        scheme.SetFromSaved(0);
        QCOMPARE(
            ym::SaveParameters(other.filePath(kSettingsFile).toStdString(), parameters, scheme),
            std::nullopt);
        const QByteArray expected = ReadTestFile(other.filePath(kSettingsFile));
        QVERIFY(!expected.contains("FEERULES"));
        QCOMPARE(s.fileBytes(), expected);
    }

    void officialModelSurvivesARestart() {
        Session s;
        QVERIFY(s.start());
        QVERIFY(s.open());
        s.click("Option2");
        s.type("Text4_0", "0.0001");
        s.click("Check1");
        s.click("Check2");
        QVERIFY(s.confirm());
        // The section goes after the user's own lines, which keep their bytes.
        QVERIFY(s.fileBytes().endsWith(
            "; bought at 10.00, see notebook\r\n[Mine]\r\nnote=x\r\n[FEERULES]\r\n"
            "Model=official\r\nCommissionRate= .0001\r\nMinCommission= 5\r\n"
            "MinCommissionUSD= 1\r\nMinCommissionHKD= 5\r\nNoMinimum=1\r\nIncludesFees=1\r\n"));

        QVERIFY(s.restart());
        QCOMPARE(s.modelLabel(), "官方规则 " + Today());
        // 0.01 % of 10,000 = 1.00 with the minimum waived; transfer 0.10; the handling and
        // regulatory fees are in the commission.
        s.trade("10", "", "1000");
        QCOMPARE(s.values({0, 3, 4}), (QStringList{"1.00元", "0.00元", "1.10元"}));
        QVERIFY(s.open());
        QVERIFY(s.get<QRadioButton>("Option2")->isChecked());
        QCOMPARE(s.get<QLineEdit>("Text4_0")->text(), QStringLiteral("0.0001"));
        QVERIFY(s.get<QCheckBox>("Check1")->isChecked() && s.get<QCheckBox>("Check2")->isChecked());
        QCOMPARE(s.shown(), (QStringList{kPrompt, kStored}));
    }

    // A section the reader refuses is reported once, at start-up, and the classic model
    // computes until the user sets the terms again.
    void damagedSectionFallsBackToTheClassicModel() {
        Session s;
        QVERIFY(s.start(OfficialFile("Model=official\r\nCommissionRate= .01\r\n")));
        const QString notice =
            QStringLiteral("提示:   ** 费率规则设置有误,已改用经典参数:\nCommissionRate=.01: "
                           "佣金率应在 0 到法定上限 0.003 之间");
        QCOMPARE(s.shown(), QStringList{notice});
        QCOMPARE(s.modelLabel(), QStringLiteral("经典参数"));
        // 0.35 % of 10,000, the Shanghai default.
        s.trade("10", "", "1000");
        QCOMPARE(s.values({0}), QStringList{"35.00元"});
        QVERIFY(s.open());
        QVERIFY(s.get<QRadioButton>("Option1")->isChecked());
        QTest::mouseClick(s.get("Command1"), Qt::LeftButton);
        QVERIFY(QTest::qWaitForWindowActive(s.form.get()));
        QCOMPARE(s.shown(), QStringList{notice});
    }

    void tradeDate_data() {
        const DateCase cases[] = {
            {"official refuses the day before the first rules", true, "20150731", true,
             "官方规则 today"},
            {"official takes the first day", true, "20150801", false, "官方规则 2015-08-01"},
            {"classic takes any day", false, "20150731", false, "经典参数"},
        };
        AddCaseRows(cases);
    }

    void tradeDate() {
        QFETCH(DateCase, c);
        Session s;
        QVERIFY(s.start(c.official ? OfficialFile("Model=official\r\n") : ClassicFile()));
        s.trade("10", "11", "1000");
        const QString commission = s.values({0}).front();
        QVERIFY(commission != "0.00元");

        s.typeTradeDate(c.digits);
        QCOMPARE(Focused(), s.main("DTPicker1"));
        QCOMPARE(s.shown(), c.refused ? QStringList{kNoRules} : QStringList{});
        QCOMPARE(s.modelLabel(), QString::fromUtf8(c.label).replace("today", Today()));
        const QDate typed = QDate::fromString(QString::fromLatin1(c.digits), "yyyyMMdd");
        QCOMPARE(s.main<QDateEdit>("DTPicker1")->date(), c.refused ? QDate::currentDate() : typed);
        const ym::Date taken = s.state->tradeDate;
        QCOMPARE(QDate(taken.year, taken.month, taken.day),
                 c.refused ? QDate::currentDate() : typed);
        // Results of another day's rules are cleared; a refused day leaves them.
        QCOMPARE(s.values({0}).front(),
                 c.official && !c.refused ? QStringLiteral("0.00元") : commission);
    }

    // The calendar opens from the keyboard too, and Enter takes the day chosen in it.
    void calendarFromTheKeyboard() {
        Session s;
        QVERIFY(s.start(OfficialFile("Model=official\r\n")));
        QTest::keyClick(Focused(), Qt::Key_T, Qt::AltModifier);
        QTest::keyClick(Focused(), Qt::Key_Down, Qt::AltModifier);
        QVERIFY(QApplication::activePopupWidget() != nullptr);
        QTest::keyClick(Focused(), Qt::Key_Left);
        QTest::keyClick(Focused(), Qt::Key_Return);
        QVERIFY(QApplication::activePopupWidget() == nullptr);
        const QString yesterday = QDate::currentDate().addDays(-1).toString(Qt::ISODate);
        QCOMPARE(s.modelLabel(), "官方规则 " + yesterday);
    }

    // The table of the fees in force on a day: the A-share stamp duty halves on 2023-08-28,
    // still from the seller only; B shares' halving is unconfirmed.
    void rulesTableOfADay_data() {
        const RulesCase cases[] = {
            {"last day of 1‰", "20230827", "印花税 有据 A 股、B 股 沪深 卖 1‰"},
            {"first day of 0.5‰", "20230828",
             "印花税 有据 A 股 沪深 卖 0.5‰|印花税 未确认 B 股 沪深 卖 0.5‰"},
            {"before the first rules", "20150731", ""},
        };
        AddCaseRows(cases);
    }

    void rulesTableOfADay() {
        QFETCH(RulesCase, c);
        Session s;
        QVERIFY(s.start());
        QVERIFY(s.open());
        auto* table = s.get<QTableWidget>("ListView1");
        QVERIFY(table->rowCount() > 0);
        auto* day = s.get<QDateEdit>("DTPicker1");
        day->setFocus();
        day->setSelectedSection(QDateTimeEdit::YearSection);
        QTest::keyClicks(day, QString::fromLatin1(c.digits));
        QTest::keyClick(day, Qt::Key_Return);

        QStringList stamp;
        for (int r = 0; r < table->rowCount(); ++r) {
            QStringList cells;
            for (int col = 0; col < 6; ++col) {
                cells << table->item(r, col)->text();
            }
            if (cells.front() == "印花税" && cells[5] != "0") {
                stamp << cells.join(u' ');
            }
        }
        QCOMPARE(stamp.join(u'|'), QString::fromUtf8(c.stampRows));
        const bool none = *c.stampRows == '\0';
        QCOMPARE(table->isVisible(), !none);
        QCOMPARE(s.get<QLabel>("Label17")->isVisible(), none);
        QCOMPARE(s.get<QLabel>("Label17")->text(), kNoRules.mid(4));
        // Looking up a day is no change: OK closes without a word.
        QVERIFY(s.confirm());
        QVERIFY(s.shown().isEmpty());
    }

    // A term out of its bounds is refused with the reason, by Enter in the field and by OK,
    // which keeps the dialog open on it and writes nothing.
    void termsOutOfBounds_data() {
        const TermCase cases[] = {
            {"rate above the legal cap", "Text4_0", "0.004",
             "  ** 佣金率: 佣金率应在 0 到法定上限 0.003 之间"},
            {"negative minimum", "Text4_1", "-1", "  ** 最低佣金(元): 最低佣金应在 0 到 1000 之间"},
            {"minimum too large", "Text4_3", "1e4",
             "  ** 最低佣金(港元): 最低佣金应在 0 到 1000 之间"},
        };
        AddCaseRows(cases);
    }

    void termsOutOfBounds() {
        QFETCH(TermCase, c);
        Session s;
        QVERIFY(s.start());
        const QByteArray before = s.fileBytes();
        QVERIFY(s.open());
        s.click("Option2");
        s.type(c.field, QString::fromLatin1(c.text));
        s.get<QTabWidget>("SSTab1")->setCurrentIndex(0);
        s.click("Command2");
        const QString message = "提示: " + QString::fromUtf8(c.message);
        QCOMPARE(s.shown(), QStringList{message});
        QVERIFY(Dialog() != nullptr);
        QCOMPARE(s.get<QTabWidget>("SSTab1")->currentWidget(), s.get("Page_3"));
        QCOMPARE(Focused(), s.get(c.field));
        QCOMPARE(s.get<QLineEdit>(c.field)->selectedText(), QString::fromLatin1(c.text));

        QTest::keyClick(Focused(), Qt::Key_Return);
        QCOMPARE(s.shown(), (QStringList{message, message}));
        QCOMPARE(Focused(), s.get(c.field));
        QTest::mouseClick(s.get("Command1"), Qt::LeftButton);
        QCOMPARE(s.fileBytes(), before);
    }
};

QTEST_MAIN(FeeRulesTest)
#include "fee_rules_test.moc"
