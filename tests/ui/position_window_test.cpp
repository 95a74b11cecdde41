// The position tools' window as a user drives it from the main window: each page typed key by
// key and its answer checked against figures worked out by hand, the Enter walk of each page,
// the fields' filters, the security code filling the market, type and board, F1 opening each
// page's section of the help, and the ways of leaving the window.
//
// Unless a case says otherwise: Shenzhen A shares under the classic parameters of a new
// settings file (commission 0.35 % with a minimum of 5 yuan, stamp duty 0.4 % on both legs, no
// transfer fee), so every leg costs 0.75 % of its amount once the commission passes 5 yuan.
#include "ui/common/entry_field.h"
#include "ui/position/position_window.h"
#include "ui_test_support.h"

using namespace ym::ui;

namespace {

struct AnswerCase {
    const char *name, *page, *script;
    const char* values; // the value column, top to bottom, "|" between rows
    const char* note;
};

struct WalkCase {
    const char *name, *page, *script, *focus;
};

struct CodeCase {
    const char *name, *code, *market, *type, *board, *facts;
};

struct LeaveCase {
    const char* name;
    const char* how;
    bool closed, mainMinimised;
};

} // namespace

Q_DECLARE_METATYPE(AnswerCase)
Q_DECLARE_METATYPE(WalkCase)
Q_DECLARE_METATYPE(CodeCase)
Q_DECLARE_METATYPE(LeaveCase)

// The main window started with a trade typed into it, the position tools opened over it.
class PositionWindowTest : public SessionTest {
    Q_OBJECT

    QPointer<PositionWindow> w;

    bool begin() override {
        if (!s->start()) {
            return false;
        }
        s->trade("10.5", "11", "1000");
        return open();
    }
    // F7, or a click on the named tool button.
    bool open(const QString& how = QStringLiteral("F7")) {
        if (how == "F7") {
            QTest::keyClick(s->get("Text1"), Qt::Key_F7);
        } else {
            s->click(how);
        }
        w = qobject_cast<PositionWindow*>(Window("Form8"));
        return w != nullptr && QTest::qWaitForWindowActive(w);
    }
    QWidget* at(const QString& name) const { return Child(w, name); }
    QString text(const QString& name) const { return Child<QLineEdit>(w, name)->text(); }
    void run(const QString& script) const { Type(script, w); }
    // Page `page` ("0".."3") shown, its fields cleared, then `script` typed.
    void onPage(const char* page, const QString& script) {
        w->showPage(static_cast<PositionPage>(QString::fromLatin1(page).toInt()));
        w->clear();
        run(script);
    }
    // The result values of page `page`, the rows in use.
    QStringList values(const char* page) const {
        QStringList texts;
        for (int i = 0;; ++i) {
            auto* label = Child<QLabel>(w, QStringLiteral("Label4%1_%2").arg(page).arg(i));
            if (label == nullptr || label->text().isEmpty()) {
                return texts;
            }
            texts << label->text();
        }
    }
    QString note(const char* page) const {
        return Child<QLabel>(w, QStringLiteral("Label50_%1").arg(page))->text();
    }

private slots:
    // The main window's trade, read as a holding bought at the buy price and priced at the
    // sell price, fills the pages.
    void startsFromTheMainWindow() {
        QVERIFY(s->form->isMinimized());
        QCOMPARE(Focused(), at("Text2_0"));
        QCOMPARE(Child<QComboBox>(w, "Combo1")->currentText(), QStringLiteral("深市"));
        QCOMPARE(Child<QComboBox>(w, "Combo2")->currentText(), QStringLiteral("A 股"));
        QCOMPARE(Child<QLabel>(w, "Label10")->text(), QStringLiteral("经典参数"));
        const QStringList filled{text("Text2_0"), text("Text2_1"), text("Text3_0"),
                                 text("Text3_1"), text("Text3_2"), text("Text4_0"),
                                 text("Text4_1"), text("Text4_3")};
        QCOMPARE(filled,
                 (QStringList{"10.50", "1000", "1000", "10.50", "11", "1000", "10.50", "11"}));
        QCOMPARE(text("Text3_3"), QString());

        // Opened again while it is open, even minimised, it comes back as it was.
        PositionWindow* first = w;
        run("[Label8_0]");
        QVERIFY(w->isMinimized());
        s->form->showNormal();
        QVERIFY(open("Command6_5"));
        QCOMPARE(w.data(), first);
        QVERIFY(!w->isMinimized() && s->form->isMinimized());
    }

    void answers_data() {
        const AnswerCase cases[] = {
            // Net profit at p: 2000p × (1 − 0.0075) − 20000 × 1.0075 = 1985p − 20150.
            // 1985p ≥ 21150 from p = 10.655: 10.66 gives 1010.10, 10.65 only 990.25. Fees:
            // 150 + 21320 × 0.0075 = 309.90.
            {"profit of 1000 yuan", "0", "10\r2000\r1000\r\r",
             "10.66元|309.90元|1,010.10元|5.01 %|20,150.00元|21,160.10元|10.16元", ""},
            // 1985p − 20150 ≥ −500 from p = 9.8992: 9.90 loses 498.50, 9.89 518.35.
            {"stop at a loss of 500 yuan", "0", "[Option2][Text2_0]10\r2000\r500\r\r",
             "9.90元|298.50元|-498.50元|-2.47 %|20,150.00元|19,651.50元|10.16元", ""},
            // 10 % of 20150 is 2015: 1985p ≥ 22165 from p = 11.1662; at 11.17 the profit is
            // 2022.45, 10.04 % of 20150.
            {"yield of 10 %", "0", "[Option4][Text2_0]10\r2000\r10\r\r",
             "11.17元|317.55元|2,022.45元|10.04 %|20,150.00元|22,172.45元|10.16元", ""},
            // A target of 0: the lowest grid price that does not lose, 1985p ≥ 20150.
            {"target of 0 yuan", "0", "10\r2000\r\r\r",
             "10.16元|302.40元|17.60元|0.09 %|20,150.00元|20,167.60元|10.16元", ""},
            // Bought at 1 and sold at the highest price the sell field holds, 9999999, one
            // share makes 9999999 less 0.75 % in fees: short of 9999999.
            {"beyond the highest price", "0", "1\r1\r9999999\r\r", "无法达到",
             "卖出费率合计不低于100%,或目标高于可输入的最高卖出价"},
            // 1000 at 9.80: fees 73.50; cost (10500 + 9800 + 73.50) / 2000 = 10.18675. Selling
            // all 2000 receives 1985p ≥ 20373.50 from p = 10.2637.
            // A fund by its code: 0.3 % commission, no stamp duty, a 0.001 step. 10000 bought
            // at 1 cost 10030; 9970p ≥ 10030 from p = 1.00602: 1.007 on the fund's grid,
            // where the break-even row's 0.01 steps reach 1.01.
            {"fund at a target of 0", "0", "[Text1]159915\r1\r10000\r\r\r",
             "1.007元|60.21元|9.79元|0.10 %|10,030.00元|10,039.79元|1.01元", ""},
            {"add 1000 at 9.80", "1", "1000\r10.5\r9.8\r1000\r\r",
             "1,000股|73.50元|9,873.50元|2,000股|10.187元|10.27元", ""},
            // n lots at 9.80 (commission above 5 yuan from two lots): (10500 + 987.35n) /
            // (1000 + 100n) ≤ 10.2 from n = 9.19: ten lots; nine leave 10.2032.
            {"lots down to a cost of 10.20", "1", "1000\r10.5\r9.8\r\r10.2\r\r",
             "1,000股|73.50元|9,873.50元|2,000股|10.187元|10.27元", ""},
            {"a cost below the added price", "1", "1000\r10.5\r9.8\r\r9.7\r\r", "无法达到",
             "在数量上限内达不到该成本价:补仓后的成本价只会移向补仓价格(含费用),越不过它"},
            // 400 sold at 11.20 (fees 33.60) and bought back at 10.90 (32.70): 4480 − 33.60 −
            // 4360 − 32.70 = 53.70, the cost 10.5 − 53.70 / 1000 = 10.4463. Given 10.90:
            // 397s ≥ 4392.70 from s = 11.0647; given 11.20: 403b ≤ 4446.40 up to b = 11.0333.
            {"swing both prices", "2", "1000\r10.5\r400\r11.2\r10.9\r\r",
             "33.60元|32.70元|53.70元|10.446元|11.07元|11.03元", ""},
            {"swing given the buy-back price", "2", "1000\r10.5\r400\r\r10.9\r\r", "11.07元", ""},
            {"swing given the sell price", "2", "1000\r10.5\r400\r11.2\r\r\r", "11.03元", ""},
            {"swing more than held", "2", "1000\r10.5\r1100\r11.2\r10.9\r\r", "",
             "做T数量不能大于持有数量:当日只能卖出今日之前持有的股份"},
            // 12.34 × 1.1 = 13.574 and × 0.9 = 11.106, to the fen.
            {"main board", "3", "12.34\r\r", "主板|10.00 %|13.57元|11.11元", ""},
            // 5.55 × 1.1 = 6.105 and × 0.9 = 4.995: halves, rounded up.
            {"halves round up", "3", "5.55\r\r", "主板|10.00 %|6.11元|5.00元", ""},
            // 12.34 × 1.2 = 14.808, × 0.8 = 9.872.
            {"ChiNext", "3", "{Alt+B}{Down}{Down}[Text5_0]12.34\r\r",
             "创业板|20.00 %|14.81元|9.87元", ""},
            {"listing days", "3", "[Check1][Text5_0]12.34\r\r",
             "主板|无涨跌幅限制|无涨跌幅限制|无涨跌幅限制", ""},
            // Shanghai B shares step by 0.001: 0.555 × 1.1 = 0.6105, × 0.9 = 0.4995.
            {"Shanghai B shares by code", "3", "[Text1]900901\r0.555\r\r",
             "B 股|10.00 %|0.611元|0.500元", ""},
            {"bonds", "3", "{Alt+B}{End}[Text5_0]100\r\r", "",
             "债券的涨跌幅限制因品种和交易所而异,本工具不计算"},
        };
        AddCaseRows(cases);
    }

    void answers() {
        QFETCH(AnswerCase, c);
        onPage(c.page, QString::fromUtf8(c.script));
        const QString expected = QString::fromUtf8(c.values);
        QCOMPARE(values(c.page), expected.isEmpty() ? QStringList() : expected.split(u'|'));
        QCOMPARE(note(c.page), QString::fromUtf8(c.note));
        // Ready for the next question.
        QCOMPARE(Focused(),
                 Child<QWidget>(
                     w, QStringLiteral("Text%1_0").arg(QString::fromLatin1(c.page).toInt() + 2)));
    }

    void limitsTellWhyThereAreNone_data() {
        QTest::addColumn<QDate>("day");
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("note");
        QTest::newRow("off the step") << QDate(2024, 6, 3) << "12.345\r\r"
                                      << "前收盘价不在主板的最小变动价位上";
        QTest::newRow("before any rule") << QDate(1990, 1, 2) << "12.34\r\r"
                                         << "没有已知的主板涨跌幅规则在1990-01-02施行";
        // ChiNext listings had limits until its reform.
        QTest::newRow("listing before the rule")
            << QDate(2019, 6, 3) << "{Alt+B}{Down}{Down}[Check1][Text5_0]12.34\r\r"
            << "没有已知的规则允许创业板在2019-06-03上市初期不设涨跌幅限制";
    }

    void limitsTellWhyThereAreNone() {
        QFETCH(QDate, day);
        QFETCH(QString, script);
        QFETCH(QString, note);
        Child<QDateEdit>(w, "DTPicker1")->setDate(day);
        onPage("3", script);
        QCOMPARE(values("3"), QStringList());
        QCOMPARE(this->note("3"), note);
    }

    void walks_data() {
        const WalkCase cases[] = {
            {"target, first Enter", "0", "\r", "Text2_1"},
            {"target to compute", "0", "\r\r\r", "Text7_1"},
            {"a quantity to add goes to compute", "1", "\r\r\r5\r", "Text7_1"},
            {"no quantity asks for the cost", "1", "\r\r\r\r", "Text3_4"},
            {"target cost to compute", "1", "\r\r\r\r9\r", "Text7_1"},
            {"swing to compute", "2", "\r\r\r\r\r", "Text7_1"},
            {"limits to compute", "3", "\r", "Text7_1"},
            {"a page by its access key", "0", "{Alt+3}", "Text4_0"},
            {"a code leads to the page", "2", "[Text1]600000\r", "Text4_0"},
            {"an unknown code too", "3", "[Text1]999999\r", "Text5_0"},
            {"clear by its button field", "1", "\r\r[Text7_2]", "Text3_0"},
        };
        AddCaseRows(cases);
    }

    void walks() {
        QFETCH(WalkCase, c);
        onPage(c.page, QString::fromUtf8(c.script));
        QCOMPARE(Focused(), at(c.focus));
        // A field arrived at has its text selected, so that typing replaces it.
        if (auto* edit = qobject_cast<EntryField*>(Focused())) {
            QCOMPARE(edit->selectedText(), edit->text());
        }
    }

    // A quantity to add and a target cost are two ways of asking: entering one empties the
    // other.
    void quantityAndTargetCostExcludeEachOther() {
        onPage("1", "1000\r10.5\r9.8\r500\r[Text3_4]10.2\r");
        QCOMPARE(text("Text3_3"), QString());
        QCOMPARE(text("Text3_4"), QStringLiteral("10.20"));
        // Leaving the field counts as Enter does.
        run("[Text3_3]300[Text3_0]");
        QCOMPARE(text("Text3_4"), QString());
    }

    void refusedPriceKeepsTheFocus() {
        onPage("0", "1234567\r");
        QCOMPARE(s->shown(), QStringList{QString::fromUtf8(kApplicationTitle) + ": " +
                                         QString::fromUtf8(ym::kBuyPriceLimitMessage)});
        QCOMPARE(text("Text2_0"), QString());
        QCOMPARE(Focused(), at("Text2_0"));
    }

    void codes_data() {
        const CodeCase cases[] = {
            {"Shanghai main board", "600000", "沪市", "A 股", "主板", "沪市主板 A 股"},
            {"without leading zeros", "878", "深市", "A 股", "主板", "深市主板 A 股"},
            {"ChiNext", "300750", "深市", "A 股", "创业板", "创业板股票"},
            {"STAR", "688981", "沪市", "A 股", "科创板", "科创板股票"},
            {"Shanghai B share", "900901", "沪市", "B 股", "B 股", "沪市 B 股（美元）"},
            {"ETF", "510300", "沪市", "基金", "基金", "沪市 ETF"},
            // No fees for Beijing: the market stays, the board is told.
            {"Beijing", "830799", "深市", "A 股", "北交所", "北交所股票（旧代码）"},
            {"unknown", "999999", "深市", "A 股", "主板", "未知代码"},
            // Shanghai's convertible bonds and Shenzhen's enterprise bonds share 111.
            {"both exchanges", "111001", "深市", "债券", "债券",
             "深市企业债(沪深两市都有此代码,按所选市场)"},
        };
        AddCaseRows(cases);
    }

    void codes() {
        QFETCH(CodeCase, c);
        onPage("0", "10\r2000\r\r\r"); // an answer, which a new security takes away
        QVERIFY(!values("0").isEmpty());
        run(QStringLiteral("[Text1]") + c.code + "\r");
        QCOMPARE(Child<QComboBox>(w, "Combo1")->currentText(), QString::fromUtf8(c.market));
        QCOMPARE(Child<QComboBox>(w, "Combo2")->currentText(), QString::fromUtf8(c.type));
        QCOMPARE(Child<QComboBox>(w, "Combo3")->currentText(), QString::fromUtf8(c.board));
        QCOMPARE(Child<QLabel>(w, "Label11")->text(), QString::fromUtf8(c.facts));
        const bool changed = QByteArray(c.market) != "深市" || QByteArray(c.type) != "A 股";
        QCOMPARE(values("0").isEmpty(), changed);
    }

    void keyFilters_data() {
        using enum Entry;
        const FilterCase cases[] = {
            {"code: six digits", "Text1", "", 0, 0, "6a0.0-0001", "600000"},
            {"price: one point, not first", "Text2_0", "", 0, 0, ".12.5.3", "12.53"},
            {"quantity: no point", "Text3_3", "", 0, 0, "1.5x00", "1500"},
            {"goal: seven characters", "Text2_2", "", 0, 0, "123456789", "1234567"},
            {"pasted price", "Text4_3", "", 0, 0, "1a.2\n3", "1.23", KeyPaste},
            {"close typed over a selection", "Text5_0", "12.34", 0, 2, "9", "9.34"},
        };
        AddCaseRows(cases);
    }

    void keyFilters() {
        QFETCH(FilterCase, c);
        const QString name = c.field;
        if (name != "Text1") {
            w->showPage(static_cast<PositionPage>(name.mid(4, 1).toInt() - 2));
        }
        auto* field = Child<QLineEdit>(w, name);
        QVERIFY(Enter(field, c));
        QCOMPARE(field->text(), QString::fromUtf8(c.after));
        QCOMPARE(Focused(), field);
    }

    // F1 opens the help at the section of the page, whichever control has the focus.
    void helpOpensAtThePagesSection_data() {
        QTest::addColumn<int>("page");
        QTest::addColumn<QString>("heading");
        QTest::newRow("target") << 0 << QStringLiteral("    1、目标价/止损价：");
        QTest::newRow("average") << 1 << QStringLiteral("    2、补仓/加仓：");
        QTest::newRow("swing") << 2 << QStringLiteral("    3、做T：");
        QTest::newRow("limits") << 3 << QStringLiteral("    4、涨跌停价：");
    }

    void helpOpensAtThePagesSection() {
        QFETCH(int, page);
        QFETCH(QString, heading);
        w->showPage(static_cast<PositionPage>(page));
        run("\r"); // on to the next field, or the compute button field
        QTest::keyClick(Focused(), Qt::Key_F1);
        HelpWindow* viewer = HelpWindow::Instance();
        QVERIFY(viewer != nullptr && QTest::qWaitForWindowActive(viewer));
        auto* text = Child<QPlainTextEdit>(viewer, "Text1");
        QCOMPARE(text->cursorForPosition(QPoint(4, 4)).block().text(), heading);
        QVERIFY(w->isVisible());
    }

    // The chart marks the break-even and the target the rows tell.
    void chartMarksBreakEvenAndTarget() {
        onPage("0", "10\r2000\r1000\r\r");
        QCOMPARE(at("Picture5")->accessibleName(),
                 QStringLiteral("纯利润随卖出价变化图 保本 10.16 目标 10.66"));
        onPage("0", "[Option2][Text2_0]10\r2000\r500\r\r");
        QCOMPARE(at("Picture5")->accessibleName(),
                 QStringLiteral("纯利润随卖出价变化图 保本 10.16 止损 9.90"));
    }

    void leaving_data() {
        const LeaveCase cases[] = {
            {"exit button field", "[Text7_0]", true, false},
            {"Alt+X", "{Alt+X}", true, false},
            {"X", "[Label8_1]", true, true},
            {"minimise", "[Label8_0]", false, true},
            {"Escape", "{Esc}", false, true},
        };
        AddCaseRows(cases);
    }

    void leaving() {
        QFETCH(LeaveCase, c);
        run(QString::fromUtf8(c.how));
        if (c.closed) {
            QTRY_VERIFY(w.isNull());
        } else {
            QCOMPARE(w->isMinimized(), QByteArray(c.name) == "minimise");
        }
        QCOMPARE(s->form->isMinimized(), c.mainMinimised);
    }

    // The window charges what the calculator charges: the trade at the target price, typed
    // into the main window, shows the same net profit.
    void sameFeesAsTheCalculator_data() {
        QTest::addColumn<bool>("official");
        QTest::addColumn<QString>("selectors");
        QTest::addColumn<QString>("buy");
        QTest::addColumn<QString>("profitRow");
        QTest::newRow("official Shanghai A shares") << true << "[Option1][Option3]"
                                                    << "10.5"
                                                    << "Label4_5";
        QTest::newRow("classic Shanghai B shares, 0.001 steps") << false << "[Option1][Option6]"
                                                                << "0.612"
                                                                << "Label8_7";
        QTest::newRow("official Shenzhen fund, 0.001 steps") << true << "[Option2][Option5]"
                                                             << "1.234"
                                                             << "Label4_5";
    }

    void sameFeesAsTheCalculator() {
        QFETCH(bool, official);
        QFETCH(QString, selectors);
        QFETCH(QString, buy);
        QFETCH(QString, profitRow);
        run("[Text7_0]");
        QTRY_VERIFY(w.isNull());
        if (official) {
            s->state.feeModel.model = ym::FeeModel::Official;
        }
        s->type(selectors);
        s->trade(buy, "", "3000");
        QVERIFY(open());
        run("\r\r123\r\r"); // the main window's buy price and quantity kept
        const QString price = Child<QLabel>(w, "Label40_0")->text();
        const QString profit = Child<QLabel>(w, "Label40_2")->text();
        QVERIFY2(price.endsWith(u'元'), qPrintable(price));
        run("[Text7_0]");
        QTRY_VERIFY(w.isNull());
        s->trade(buy, price.chopped(1), "3000");
        QCOMPARE(s->text(profitRow), profit);
    }

    // The rows take the display scheme's colours: a profit in the profit colour of scheme 0,
    // a loss in its loss colour.
    void rowsInTheSchemesColours() {
        const auto ink = [this] {
            return Child<QLabel>(w, "Label40_2")->palette().color(QPalette::WindowText);
        };
        onPage("0", "10\r2000\r1000\r\r");
        QCOMPARE(ink(), QColor(255, 128, 128));
        onPage("0", "[Option2][Text2_0]10\r2000\r500\r\r");
        QCOMPARE(ink(), QColor(128, 255, 128));
    }
};

QTEST_MAIN(PositionWindowTest)
#include "position_window_test.moc"
