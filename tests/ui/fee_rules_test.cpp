// The official fee model as a user sets it up and checks it: the fourth page of the
// settings dialog, the main window's model label and trade date, trades read back against a
// broker's statement, and the settings file the choice leaves (or does not leave) behind.
#include "core/settings_file.h"
#include "ui_test_support.h"

using namespace ym::ui;

namespace {

const QString kNoRules =
    QStringLiteral("提示: no official rules before 2015-08-01; use the classic parameters");

// A classic user's file: the defaults with Shanghai selected, and lines of their own that
// every save must keep.
QByteArray ClassicFile() {
    QByteArray bytes = QByteArray::fromStdString(ym::DefaultSettingsBytes());
    bytes.replace("Select1=2", "Select1=1");
    return bytes + "; bought at 10.00, see notebook\r\n[Mine]\r\nnote=x\r\n";
}

QString Official(const QDate& day) {
    return "官方规则 " + day.toString(Qt::ISODate);
}

// F5, then the fee rules page.
bool Open() {
    if (!OpenSettings()) {
        return false;
    }
    Get<QTabWidget>("SSTab1")->setCurrentWidget(Get("Page_3"));
    return true;
}

// OK on the dialog, and the main window back.
bool Confirm(const Session& s) {
    QTest::mouseClick(Get("Command2"), Qt::LeftButton);
    return Dialog() == nullptr && s.back();
}

// Selects a field's text and types over it, without Enter.
void TypeOver(const QString& field, const QString& text) {
    Get<QLineEdit>(field)->setFocus();
    Get<QLineEdit>(field)->selectAll();
    Type(text);
}

} // namespace

class FeeRulesTest : public SessionTest {
    Q_OBJECT

    bool begin() override { return s->start(ClassicFile()); }

private slots:
    // A Shanghai A-share trade of 10.00 x 1000 = 10,000 yuan under today's rules (in force
    // since 2023-08-28) at a broker's 2.5‱, each fee rounded to the fen half up:
    //   commission 0.025 % of 10,000 = 2.50, raised to the 5.00 minimum;
    //   stamp duty 0.05 %, the seller only: 5.00 on the sell, nothing on the buy;
    //   transfer fee 0.001 % = 0.10;
    //   handling 0.00341 % = 0.341 -> 0.34 and regulatory 0.002 % = 0.20, which the panel,
    //   having no rows of their own, shows as 其它: 0.54.
    // Buy: 5.64 in fees, 10,005.64 paid. Sell: 10.64 in fees, 9,989.36 received.
    // (Rows: commission, stamp duty, transfer fee, other, fees total, profit, yield, paid,
    // received.)
    void officialTradeToTheFenAndAfterARestart() {
        QCOMPARE(s->text("Label18"), QStringLiteral("经典参数"));
        QVERIFY(Open());
        Type("[Option2]", Dialog());
        TypeOver("Text4_0", "0.00025\r");
        QCOMPARE(Focused(), Get("Text4_1"));
        QVERIFY(Confirm(*s));
        QCOMPARE(s->shown(), (QStringList{kStorePrompt, kStored}));
        QCOMPARE(s->text("Label18"), Official(s->get<QDateEdit>("DTPicker1")->date()));
        s->trade("10.00", "", "1000");
        QCOMPARE(s->values("Label4_", 9).join(u'|'),
                 "5.00元|0.00元|0.10元|0.54元|5.64元|0.00元|0.00 %|10,005.64元|0.00元");
        s->trade("", "10.00", "1000");
        QCOMPARE(s->values("Label4_", 9).join(u'|'),
                 "5.00元|5.00元|0.10元|0.54元|10.64元|0.00元|0.00 %|0.00元|9,989.36元");

        // Other terms, kept across a restart.
        QVERIFY(Open());
        TypeOver("Text4_0", "0.0001");
        Type("[Check1][Check2]", Dialog());
        QVERIFY(Confirm(*s));
        // The section goes after the user's own lines, which keep their bytes.
        QVERIFY(s->fileBytes().endsWith(
            "; bought at 10.00, see notebook\r\n[Mine]\r\nnote=x\r\n[FEERULES]\r\n"
            "Model=official\r\nCommissionRate= .0001\r\nMinCommission= 5\r\n"
            "MinCommissionUSD= 1\r\nMinCommissionHKD= 5\r\nNoMinimum=1\r\nIncludesFees=1\r\n"));
        QVERIFY(s->start());
        QCOMPARE(s->text("Label18"), Official(s->get<QDateEdit>("DTPicker1")->date()));
        // 0.01 % of 10,000 = 1.00 with the minimum waived; transfer 0.10; the handling and
        // regulatory fees are in the commission.
        s->trade("10", "", "1000");
        QCOMPARE(s->values("Label4_", 5).join(u'|'), "1.00元|0.00元|0.10元|0.00元|1.10元");
        QVERIFY(Open());
        QVERIFY(Get<QRadioButton>("Option2")->isChecked());
        QCOMPARE(Get<QLineEdit>("Text4_0")->text(), QStringLiteral("0.0001"));
        QVERIFY(Get<QCheckBox>("Check1")->isChecked() && Get<QCheckBox>("Check2")->isChecked());
    }

    // A user who never chooses the official model gets no section of it: the save leaves
    // the bytes the classic save gives, whatever they did on the fee rules page meanwhile.
    void classicUserKeepsTheFileAsTheClassicSaveWritesIt_data() {
        QTest::addColumn<QString>("steps");
        QTest::newRow("a parameter edited") << "";
        QTest::newRow("official chosen, then classic again") << "[Option2][Option1]";
        QTest::newRow("terms typed and ticked under classic") << "[Text4_0]9[Check1][Check2]";
    }

    void classicUserKeepsTheFileAsTheClassicSaveWritesIt() {
        QFETCH(QString, steps);
        QVERIFY(Open());
        Type(steps, Dialog());
        Get<QTabWidget>("SSTab1")->setCurrentIndex(0);
        TypeOver("Text2_0", ".005");
        QVERIFY(Confirm(*s));
        QCOMPARE(s->shown(), (QStringList{kStorePrompt, kStored}));
        QCOMPARE(s->text("Label18"), QStringLiteral("经典参数"));
        // The next trade takes the new rate: 0.5 % of 10,000 plus 0.5 % of 11,000.
        s->trade("10", "11", "1000");
        QCOMPARE(s->text("Label4_0"), QStringLiteral("105.00元"));

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
        QCOMPARE(s->fileBytes(), expected);
    }

    // Alt+T, the day's digits over the date field's first section, Enter. Another day's
    // rules clear the results; a refused day leaves them.
    void tradeDate_data() {
        QTest::addColumn<bool>("official");
        QTest::addColumn<QString>("digits");
        QTest::addColumn<bool>("refused");
        QTest::newRow("official refuses the day before the first rules")
            << true << "20150731" << true;
        QTest::newRow("official takes the first day") << true << "20150801" << false;
        QTest::newRow("classic takes any day") << false << "20150731" << false;
    }

    void tradeDate() {
        QFETCH(bool, official);
        QFETCH(QString, digits);
        QFETCH(bool, refused);
        QVERIFY(!official || s->start(ClassicFile() + "[FEERULES]\r\nModel=official\r\n"));
        s->trade("10", "11", "1000");
        const QString commission = s->text("Label4_0");
        QVERIFY(commission != "0.00元");
        // The day the window started with, not the clock now: a run across midnight stays
        // right.
        const QDate started = s->get<QDateEdit>("DTPicker1")->date();
        QTest::keyClick(Focused(), Qt::Key_T, Qt::AltModifier);
        Type(digits + "\r");
        QCOMPARE(Focused(), s->get("DTPicker1"));
        QCOMPARE(s->shown(), refused ? QStringList{kNoRules} : QStringList{});
        const QDate day = refused ? started : QDate::fromString(digits, "yyyyMMdd");
        QCOMPARE(s->text("Label18"), official ? Official(day) : QStringLiteral("经典参数"));
        QCOMPARE(s->get<QDateEdit>("DTPicker1")->date(), day);
        QCOMPARE(s->text("Label4_0"), official && !refused ? QStringLiteral("0.00元") : commission);
    }

    // The table of the fees in force on a day: from 2023-08-28 the stamp duty is 0.5‰,
    // still from the seller only; B shares' halving is unconfirmed. Before the first rules
    // there is no table, only the reason. Looking up a day is no change.
    void rulesTableOfADay_data() {
        QTest::addColumn<QString>("digits");
        QTest::addColumn<QString>("stampRows");
        QTest::newRow("first day of 0.5‰")
            << "20230828"
            << "印花税 有据 A 股 沪深 卖 0.5‰|印花税 未确认 B 股 沪深 卖 0.5‰";
        QTest::newRow("before the first rules") << "20150731" << QString();
    }

    void rulesTableOfADay() {
        QFETCH(QString, digits);
        QFETCH(QString, stampRows);
        QVERIFY(Open());
        auto* table = Get<QTableWidget>("ListView1");
        auto* day = Get<QDateEdit>("DTPicker1");
        day->setFocus();
        day->setSelectedSection(QDateTimeEdit::YearSection);
        Type(digits + "\r");
        QStringList stamp;
        for (const QTableWidgetItem* item : table->findItems("印花税", Qt::MatchExactly)) {
            QStringList cells;
            for (int col = 0; col < 6; ++col) {
                cells << table->item(item->row(), col)->text();
            }
            stamp << (cells[5] != "0" ? cells.join(u' ') : QString());
        }
        stamp.removeAll(QString());
        QCOMPARE(stamp.join(u'|'), stampRows);
        QCOMPARE(table->isVisible(), !stampRows.isEmpty());
        QCOMPARE(Get<QLabel>("Label17")->isVisible(), stampRows.isEmpty());
        QCOMPARE(Get<QLabel>("Label17")->text(), kNoRules.mid(4));
        QVERIFY(Confirm(*s));
        QVERIFY(s->shown().isEmpty());
    }

    // A term out of its bounds, or too large to store at all, is refused with the reason by
    // OK, which keeps the dialog open on it, its page in front, and writes nothing; and by
    // Enter in the field.
    void termRefused_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("message");
        QTest::newRow("beyond the legal cap")
            << "0.004"
            << "提示:   ** 佣金率: 佣金率应在 0 到法定上限 0.003 之间";
        QTest::newRow("too large to store") << "1e999"
                                            << "提示:   ** 错误的输入!请重新输入.";
    }

    void termRefused() {
        QFETCH(QString, typed);
        QFETCH(QString, message);
        const QByteArray before = s->fileBytes();
        QVERIFY(Open());
        Type("[Option2]", Dialog());
        TypeOver("Text4_0", typed);
        Get<QTabWidget>("SSTab1")->setCurrentIndex(0);
        Type("[Command2]", Dialog());
        QCOMPARE(s->shown(), QStringList{message});
        QCOMPARE(Get<QTabWidget>("SSTab1")->currentWidget(), Get("Page_3"));
        QCOMPARE(Focused(), Get("Text4_0"));
        QCOMPARE(Get<QLineEdit>("Text4_0")->selectedText(), typed);
        Type("\r");
        QCOMPARE(s->shown().size(), 2);
        Type("[Command1]", Dialog());
        QCOMPARE(s->fileBytes(), before);
    }
};

QTEST_MAIN(FeeRulesTest)
#include "fee_rules_test.moc"
