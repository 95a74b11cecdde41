// The ex-rights window as a user drives it from the main window: distribution plans typed
// key by key in both directions, checked against prices worked out by hand, the focus
// walking from field to field, the fields' limits, and the ways of leaving the window.
#include "ui/exrights/exrights_window.h"
#include "ui_test_support.h"

using namespace ym::ui;

namespace {

const QString kForward = QStringLiteral("等于★==>");
const QString kBackward = QStringLiteral("<==☆等于");

struct ExampleCase {
    const char *name, *script, *text1, *text2;
    QString caption;
};

struct CommitCase {
    const char *name, *script, *field, *shown;
    double stored;
    const char* focus;
};

// After `script`, whether `check` and its row's fields are still on.
struct PlanCase {
    const char *name, *script, *check, *fields;
    bool stays;
};

struct F1Case {
    const char *name, *control, *script;
};

// `how` is a script run after "12.5" was typed into the price before.
struct LeaveCase {
    const char* name;
    const char* how;
    bool formClosed, formMinimised, mainMinimised;
};

} // namespace

Q_DECLARE_METATYPE(ExampleCase)
Q_DECLARE_METATYPE(CommitCase)
Q_DECLARE_METATYPE(PlanCase)
Q_DECLARE_METATYPE(F1Case)
Q_DECLARE_METATYPE(LeaveCase)

// The main window started, the ex-rights window opened over it.
class ExRightsWindowTest : public SessionTest {
    Q_OBJECT

    QPointer<ExRightsWindow> w;

    bool begin() override { return s->start() && open(); }
    // F4, or a click on the named tool button.
    bool open(const QString& how = QStringLiteral("F4")) {
        if (how == "F4") {
            QTest::keyClick(s->get("Text1"), Qt::Key_F4);
        } else {
            s->click(how);
        }
        w = qobject_cast<ExRightsWindow*>(Window("Form4"));
        return w != nullptr && QTest::qWaitForWindowActive(w);
    }
    QWidget* at(const QString& name) const { return Child(w, name); }
    QLineEdit* field(const QString& name) const { return Child<QLineEdit>(w, name); }
    QString text(const QString& name) const { return field(name)->text(); }
    bool checked(const QString& name) const { return Child<QCheckBox>(w, name)->isChecked(); }
    void run(const QString& script) const { Type(script, w); }
    // The value the window holds for a field, as last read from it.
    double stored(const QString& name) const {
        const ym::ExRightsCalculator& c = w->calculator();
        const double values[] = {c.priceBefore,      c.priceAfter,       c.plan.bonusPer10,
                                 c.plan.rightsPer10, c.plan.rightsPrice, c.plan.cashPer10};
        return values[name.mid(4).toInt() - 1];
    }

private slots:
    // Opened by F4 over the minimised main window, then again by the tool button.
    void opensOnceOverTheMinimisedMainWindow() {
        QVERIFY(s->form->isMinimized());
        QCOMPARE(Focused(), at("Text1"));
        QCOMPARE(text("Text7_1"), kForward);
        QVERIFY(!at("Text7_2")->isEnabled() && !at("Text3")->isEnabled());
        // Both "10送" fields are told apart by a screen reader.
        QVERIFY(at("Text3")->accessibleName() != at("Text6")->accessibleName());

        // Opening it again while it is open, even minimised, brings back the same window.
        ExRightsWindow* first = w;
        run("[Label8_0]");
        QVERIFY(w->isMinimized());
        s->form->showNormal();
        QVERIFY(open("Command6_3"));
        QCOMPARE(w.data(), first);
        QVERIFY(!w->isMinimized() && s->form->isMinimized());
    }

    void workedExamples_data() {
        const ExampleCase cases[] = {
            // 15 × 1.5 + 0.15 − 2.4
            {"backward, all three", "[Check1]2\r[Check2]3\r8\r[Check3]1.5\r[Text2]15\r\r", "20.25",
             "15", kBackward},
            {"cash beyond the price", "[Check3]1\r\r\r", "0.00", "-0.10", kForward},
            {"checked but empty", "[Check1]\r[Check2]\r\r13\r\r", "13", "13.00", kForward},
            {"compute at once", "[Text7_1]", "0.00", "0.00", kForward},
            // 2 × 99999999.99: the result is shown in full, longer than anyone may type.
            {"result longer than the field", "[Check1]10\r[Text2]99999999.99\r\r", "199999999.98",
             "99999999.99", kBackward},
        };
        AddCaseRows(cases);
    }

    void workedExamples() {
        QFETCH(ExampleCase, c);
        run(c.script);
        QCOMPARE(text("Text1"), QString::fromUtf8(c.text1));
        QCOMPARE(text("Text2"), QString::fromUtf8(c.text2));
        QCOMPARE(text("Text7_1"), c.caption);
        // The result state: prices locked, compute off, clear on and next.
        QCOMPARE(Focused(), at("Text7_2"));
        QVERIFY(field("Text1")->isReadOnly() && field("Text2")->isReadOnly());
        QVERIFY(!at("Text7_1")->isEnabled() && !at("Command2")->isEnabled());
    }

    // (20 + 0.3 × 8 − 0.15) / (1 + 0.2 + 0.3) = 22.25 / 1.5 = 14.8333…
    void resultStateLeadsToClearAndClearKeepsThePlan() {
        run("[Check1]2\r[Check2]3\r8\r[Check3]1.5\r20\r\r");
        QCOMPARE(text("Text2"), QStringLiteral("14.83"));
        run("[Text1]");
        QCOMPARE(Focused(), at("Text7_2"));
        // Clicking into the other price field turns the direction round.
        run("[Text2]");
        QCOMPARE(Focused(), at("Text7_2"));
        QCOMPARE(text("Text7_1"), kBackward);
        // The plan stays editable; a new value counts from the next computation.
        run("[Text3]");
        field("Text3")->selectAll();
        run("4\r");
        QCOMPARE(Focused(), at("Text7_2"));
        QCOMPARE(text("Text2"), QStringLiteral("14.83"));

        run("\r");
        QCOMPARE(text("Text1"), QString());
        QCOMPARE(text("Text2"), QString());
        QCOMPARE(Focused(), at("Text2"));
        QVERIFY(at("Text7_1")->isEnabled() && !at("Text7_2")->isEnabled());
        const QStringList plan{text("Text3"), text("Text4"), text("Text5"), text("Text6")};
        QCOMPARE(plan, (QStringList{"4", "3", "8", "1.50"}));
        QVERIFY(checked("Check1") && checked("Check2") && checked("Check3"));
        // 15 × (1 + 0.4 + 0.3) + 0.15 − 2.4, from fresh working sums.
        run("15\r\r");
        QCOMPARE(text("Text1"), QStringLiteral("23.25"));
        // Clear by its access key puts the focus back where the direction points.
        run("{Alt+C}");
        QTRY_COMPARE(text("Text1"), QString());
        QCOMPARE(Focused(), at("Text2"));
    }

    void commits_data() {
        const CommitCase cases[] = {
            {"empty price", "\r", "Text1", "0.00", 0, "Text7_1"},
            {"share count as typed", "[Check1]2.5\r", "Text3", "2.5", 2.5, "Text1"},
            {"empty share count", "[Check1]\r", "Text3", "0.00", 0, "Text1"},
            {"share count back to the price after", "[Text2][Check1]3\r", "Text3", "3", 3, "Text2"},
            {"rights price", "[Check2]3\r6.1\r", "Text5", "6.10", 6.1, "Text1"},
            {"rewritten past the limit", "[Check2]1\r1234567.5\r", "Text5", "1234567.50", 1234567.5,
             "Text1"},
            {"leaving rewrites", "[Check3]1.5[Text1]", "Text6", "1.50", 1.5, "Text1"},
            {"leaving keeps a whole number", "[Check1]2.[Text2]", "Text3", "2.", 2, "Text2"},
            // Shown with four decimals, kept as typed until the field is read again.
            {"five decimals", "1.23456[Text2]", "Text1", "1.2346", 1.23456, "Text2"},
            {"five decimals read again", "1.23456[Text2][Text1][Text2]", "Text1", "1.2346", 1.2346,
             "Text2"},
        };
        AddCaseRows(cases);
    }

    void commits() {
        QFETCH(CommitCase, c);
        run(c.script);
        QCOMPARE(text(c.field), QString::fromUtf8(c.shown));
        QCOMPARE(stored(c.field), c.stored);
        QCOMPARE(Focused(), at(c.focus));
    }

    // A plan left incomplete when the user moves on to a price field is switched off and
    // emptied, as is a row switched off by hand.
    void planRowsSwitchOnAndOff_data() {
        const PlanCase cases[] = {
            {"rights, Enter twice", "[Check2]3\r\r", "Check2", "Text4 Text5", true},
            {"rights, price field clicked", "[Check2]3\r[Text1]", "Check2", "Text4 Text5", false},
            {"rights count left empty", "[Check2][Text5]8\r", "Check2", "Text4 Text5", false},
            {"bonus left empty", "[Check1][Text2]", "Check1", "Text3", false},
            {"cash, Enter", "[Check3]\r", "Check3", "Text6", true},
            {"bonus switched off", "[Check1]7\r[Check1]", "Check1", "Text3", false},
            {"rights switched off", "[Check2]7\r7\r[Check2]", "Check2", "Text4 Text5", false},
        };
        AddCaseRows(cases);
    }

    void planRowsSwitchOnAndOff() {
        QFETCH(PlanCase, c);
        run(c.script);
        QCOMPARE(checked(c.check), c.stays);
        for (const QString& field : Words(c.fields)) {
            QCOMPARE(at(field)->isEnabled(), c.stays);
            if (!c.stays) {
                QCOMPARE(text(field), QString());
                QCOMPARE(stored(field), 0.0);
            }
        }
    }

    void keyFilters_data() {
        using enum Entry;
        const FilterCase cases[] = {
            {"rights price length", "Text5", "", 0, 0, "12345678901", "123456789"},
            {"full after a rewrite", "Text5", "1234567.50", 10, 0, "9", "1234567.50"},
            {"typing over a selection", "Text5", "1234567.50", 0, 2, "98", "934567.50"},
            // A paste gives what typing its characters would, line breaks aside (typed,
            // they would be Enter).
            {"pasted breaks and signs", "Text4", "", 0, 0, "-1\r\n2x.3.4\n5", "12.345", KeyPaste},
            {"pasted too long", "Text6", "", 0, 0, "9x8.7-6 5.9x8.7-6 5.", "98.765987", KeyPaste},
        };
        AddCaseRows(cases);
    }

    void keyFilters() {
        QFETCH(FilterCase, c);
        const QString name = c.field;
        run(name == "Text6" ? "[Check3]" : "[Check2]");
        QVERIFY(Enter(field(name), c));
        QCOMPARE(field(name)->text(), QString::fromUtf8(c.after));
        QCOMPARE(Focused(), field(name));
    }

    // The script leads to the control.
    void f1FromAnyControlOpensHelp_data() {
        const F1Case cases[] = {
            {"price before", "Text1", ""},
            {"bonus", "Text3", "[Check1]"},
            {"rights price", "Text5", "[Check2]3\r"},
            {"check box", "Check1", "[Check1][Check1]"},
            {"compute", "Text7_1", "5\r"},
        };
        AddCaseRows(cases);
    }

    void f1FromAnyControlOpensHelp() {
        QFETCH(F1Case, c);
        run(c.script);
        QCOMPARE(Focused(), at(c.control));
        QTest::keyClick(Focused(), Qt::Key_F1);
        QVERIFY(HelpWindow::Instance() != nullptr && HelpWindow::Instance()->isVisible());
        QVERIFY(!w.isNull() && w->isVisible());
        QVERIFY(s->form->isMinimized());
    }

    // Tab from the price before, after `script`, visits `order`; disabled controls are
    // skipped.
    void tabOrder_data() {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("order");
        QTest::newRow("plans off") << ""
                                   << "Text2 Command1 Check1 Check2 Check3 Command2 Text1";
        QTest::newRow("plans on")
            << "[Check1]2\r[Check2]3\r8\r[Check3]1\r"
            << "Text2 Command1 Check1 Check2 Check3 Command2 Text3 Text4 Text5 Text6 Text1";
    }

    void tabOrder() {
        QFETCH(QString, script);
        QFETCH(QString, order);
        run(script);
        QCOMPARE(Focused(), at("Text1"));
        QStringList visited;
        for (qsizetype i = 0; i < order.count(u' ') + 1; ++i) {
            QTest::keyClick(Focused(), Qt::Key_Tab);
            visited << Focused()->objectName();
            // The exit push button lies under the panel; its button field shows the focus.
            QCOMPARE(at("Shape3_1")->isVisible(), Focused() == at("Command1"));
        }
        QCOMPARE(visited.join(u' '), order);
    }

    // The settings dialog opened over the restored main window: exit leaves the main window
    // hidden until the dialog is left.
    void exitWhileTheSettingsDialogIsOpen() {
        s->form->showNormal();
        s->form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(s->form.get()));
        QVERIFY(OpenSettings());
        run("[Text7_0]");
        QTRY_VERIFY(w.isNull());
        QVERIFY(!s->form->isVisible());
        Type("[Command1]", Dialog());
        QVERIFY(s->back());
        QVERIFY(!s->form->isMinimized());
    }

    void leavingTheWindow_data() {
        const LeaveCase cases[] = {
            {"exit button field", "[Text7_0]", true, false, false},
            {"Alt+X", "{Alt+X}", true, false, false},
            {"X", "[Label8_1]", true, false, true},
            {"minimise", "[Label8_0]", false, true, true},
            {"Escape", "{Esc}", false, false, true},
        };
        AddCaseRows(cases);
    }

    void leavingTheWindow() {
        QFETCH(LeaveCase, c);
        run(QStringLiteral("12.5") + c.how);
        if (c.formClosed) {
            // Gone, with everything typed into it.
            QTRY_VERIFY(w.isNull());
        } else {
            QCOMPARE(w->isMinimized(), c.formMinimised);
            QCOMPARE(text("Text1"), QStringLiteral("12.5"));
        }
        QCOMPARE(s->form->isMinimized(), c.mainMinimised);
    }
};

QTEST_MAIN(ExRightsWindowTest)
#include "exrights_window_test.moc"
