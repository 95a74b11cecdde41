// The ex-rights window as a user drives it from the main window: distribution plans typed
// key by key in both directions, checked against prices worked out by hand, the focus
// walking from field to field, the filters against typed and pasted input, and the ways
// of leaving the window.
#include "core/program_state.h"
#include "ui/exrights/exrights_window.h"
#include "ui/help/help_window.h"
#include "ui/main/main_window.h"
#include "ui_test_support.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QtTest>

#include <memory>

using namespace ym::ui;

namespace {

const QColor kTeal(0, 192, 192);
const QColor kLightBlue(192, 192, 255);
const QColor kGrey(128, 128, 128);
const QString kForward = QStringLiteral("等于★==>");
const QString kBackward = QStringLiteral("<==☆等于");

QWidget* Focused() {
    return QApplication::focusWidget();
}

Form4* OpenExRightsWindow() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* form = qobject_cast<Form4*>(widget); form != nullptr && form->isVisible()) {
            return form;
        }
    }
    return nullptr;
}

// The main window started in a folder of its own, the ex-rights window opened over it.
struct Session {
    TempWorkingDirectory dir;
    RecordingMessages messages;
    RecordingLauncher launcher;
    ym::ProgramState state;
    std::unique_ptr<Form1> main;
    QPointer<Form4> form;

    bool startMain() {
        main = std::make_unique<Form1>(state);
        if (!main->Form_Load()) {
            return false;
        }
        main->show();
        main->activateWindow();
        return QTest::qWaitForWindowActive(main.get());
    }
    // F4, or a click on the named tool button.
    bool open(const QString& how = QStringLiteral("F4")) {
        if (main == nullptr && !startMain()) {
            return false;
        }
        if (how == "F4") {
            QTest::keyClick(main->findChild<QWidget*>("Text1"), Qt::Key_F4);
        } else {
            QTest::mouseClick(main->findChild<QWidget*>(how), Qt::LeftButton);
        }
        form = OpenExRightsWindow();
        return form != nullptr && QTest::qWaitForWindowActive(form);
    }
    QLineEdit* field(const QString& name) const { return form->findChild<QLineEdit*>(name); }
    QCheckBox* check(const QString& name) const { return form->findChild<QCheckBox*>(name); }
    QWidget* widget(const QString& name) const { return form->findChild<QWidget*>(name); }
    QString text(const QString& name) const { return field(name)->text(); }
    void click(const QString& name) const { QTest::mouseClick(widget(name), Qt::LeftButton); }

    // Runs a script: "[Name]" clicks a control, "\r" is Enter, "\b" Backspace, any other
    // character is typed into the control with the focus.
    void run(const char* script) const {
        const QString keys = QString::fromUtf8(script);
        for (qsizetype i = 0; i < keys.size(); ++i) {
            const QChar c = keys[i];
            if (c == u'[') {
                const qsizetype end = keys.indexOf(u']', i);
                click(keys.mid(i + 1, end - i - 1));
                i = end;
            } else if (c == u'\r') {
                QTest::keyClick(Focused(), Qt::Key_Return);
            } else if (c == u'\b') {
                QTest::keyClick(Focused(), Qt::Key_Backspace);
            } else {
                QTest::keyClicks(Focused(), QString(c));
            }
        }
    }

    // The value the window holds for a field, as last read from it.
    double stored(const QString& name) const {
        const ym::ExRightsCalculator& c = form->calculator();
        const std::pair<const char*, double> values[] = {
            {"Text1", c.PriceBefore},      {"Text2", c.PriceAfter},
            {"Text3", c.plan.BonusPer10},  {"Text4", c.plan.RightsPer10},
            {"Text5", c.plan.RightsPrice}, {"Text6", c.plan.CashPer10},
        };
        for (const auto& [field, value] : values) {
            if (name == QLatin1String(field)) {
                return value;
            }
        }
        qFatal("no stored value for %s", qPrintable(name));
    }
};

QColor Background(const QWidget* w) {
    return w->palette().color(QPalette::Base);
}

QColor TextColor(const QWidget* w) {
    return w->palette().color(QPalette::Text);
}

QStringList Words(const char* text) {
    return QString::fromUtf8(text).split(u' ', Qt::SkipEmptyParts);
}

// The plan fields and the check box that switches each on.
const std::pair<const char*, const char*> kPlanFields[] = {
    {"Text3", "Check1"}, {"Text4", "Check2"}, {"Text5", "Check2"}, {"Text6", "Check3"}};

QString CheckOf(const QString& field) {
    for (const auto& [name, check] : kPlanFields) {
        if (field == QLatin1String(name)) {
            return check;
        }
    }
    return {};
}

QStringList FieldsOf(const QString& check) {
    QStringList fields;
    for (const auto& [name, box] : kPlanFields) {
        if (check == QLatin1String(box)) {
            fields << name;
        }
    }
    return fields;
}

struct ExampleCase {
    const char *name, *script, *text1, *text2;
    QString caption;
};

struct CommitCase {
    const char *name, *script, *field, *shown;
    double stored;
    const char* focus;
};

// `keys` typed into `field` holding `before` with the selection [selStart, +selLength);
// "\b" is Backspace.
struct FilterCase {
    const char *name, *field, *before;
    int selStart, selLength;
    const char *keys, *after;
};

struct PlanRowCase {
    const char *name, *check, *fields, *labels;
};

struct LeaveCase {
    const char* name;
    const char* how;
    bool formClosed, formMinimised, mainMinimised;
};

} // namespace

Q_DECLARE_METATYPE(ExampleCase)
Q_DECLARE_METATYPE(CommitCase)
Q_DECLARE_METATYPE(FilterCase)
Q_DECLARE_METATYPE(PlanRowCase)
Q_DECLARE_METATYPE(LeaveCase)

class ExRightsWindowTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { InstallModalWatchdog(); }
    void cleanup() {
        if (Form7* help = Form7::Instance()) {
            help->close();
        }
    }

    void openedCentredOverTheMinimisedMainWindow_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("F4") << "F4";
        QTest::newRow("tool button") << "Command6_3";
    }

    void openedCentredOverTheMinimisedMainWindow() {
        QFETCH(QString, how);
        Session s;
        QVERIFY(s.startMain());
        const QPoint mainCentre = s.main->geometry().center();
        QVERIFY(s.open(how));
        QVERIFY(s.main->isMinimized());
        QVERIFY(qAbs(s.form->geometry().center().x() - mainCentre.x()) <= 1);
        QVERIFY(qAbs(s.form->geometry().center().y() - mainCentre.y()) <= 1);
        QCOMPARE(s.form->windowTitle(), QStringLiteral("除权、除息价计算器"));
        QCOMPARE(Focused(), s.widget("Text1"));
        QCOMPARE(s.text("Text7_1"), kForward);
        QVERIFY(!s.widget("Text7_2")->isEnabled());
        QCOMPARE(TextColor(s.widget("Text7_2")), kGrey);
        for (const QString& name : Words("Text3 Text4 Text5 Text6 Label3_0 Label3_3")) {
            QVERIFY2(!s.widget(name)->isEnabled(), qPrintable(name));
        }
        QCOMPARE(Background(s.widget("Text4")), kLightBlue);
        QCOMPARE(Background(s.widget("Text1")), kTeal);
        // Both "10送" fields are told apart by a screen reader.
        QVERIFY(s.widget("Text3")->accessibleName() != s.widget("Text6")->accessibleName());

        // Opening it again while it is open, even minimised, brings back the same window.
        Form4* first = s.form;
        s.click("Label8_0");
        QVERIFY(s.form->isMinimized());
        s.main->showNormal();
        QVERIFY(s.open(how));
        QCOMPARE(s.form.data(), first);
        QVERIFY(!s.form->isMinimized());
        QVERIFY(s.main->isMinimized());
    }

    void closingDiscardsTheState() {
        Session s;
        QVERIFY(s.open());
        s.run("[Check1]2\r20\r");
        s.click("Label8_1");
        QTRY_VERIFY(s.form.isNull());
        s.main->showNormal();
        QVERIFY(s.open());
        QCOMPARE(s.text("Text1"), QString());
        QCOMPARE(s.text("Text3"), QString());
        QVERIFY(!s.check("Check1")->isChecked());
        QCOMPARE(s.form->calculator().plan.BonusPer10, 0.0);
    }

    void workedExamples_data() {
        const ExampleCase cases[] = {
            // (20 + 0.3 × 8 − 0.15) / (1 + 0.2 + 0.3) = 22.25 / 1.5 = 14.8333…
            {"forward, all three", "[Check1]2\r[Check2]3\r8\r[Check3]1.5\r20\r\r", "20", "14.83",
             kForward},
            // 15 × 1.5 + 0.15 − 2.4
            {"backward, all three", "[Check1]2\r[Check2]3\r8\r[Check3]1.5\r[Text2]15\r\r", "20.25",
             "15", kBackward},
            {"bonus only", "[Check1]3\r13\r\r", "13", "10.00", kForward},
            {"bonus only, backward", "[Check1]5\r[Text2]10\r\r", "15.00", "10", kBackward},
            // (10 + 1.8) / 1.3 = 9.0769…
            {"rights only", "[Check2]3\r6\r10\r\r", "10", "9.08", kForward},
            {"cash beyond the price", "[Check3]1\r\r\r", "0.00", "-0.10", kForward},
            {"cash backward", "[Check3]2.5\r[Text2]9.75\r\r", "10.00", "9.75", kBackward},
            {"no plan", "10\r\r", "10", "10.00", kForward},
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
        Session s;
        QVERIFY(s.open());
        s.run(c.script);
        QCOMPARE(s.text("Text1"), QString::fromUtf8(c.text1));
        QCOMPARE(s.text("Text2"), QString::fromUtf8(c.text2));
        QCOMPARE(s.text("Text7_1"), c.caption);
        // The result state: prices locked, compute off, clear on and next.
        QCOMPARE(Focused(), s.widget("Text7_2"));
        QVERIFY(s.field("Text1")->isReadOnly() && s.field("Text2")->isReadOnly());
        QVERIFY(!s.widget("Text7_1")->isEnabled() && !s.widget("Command2")->isEnabled());
        QVERIFY(s.widget("Text7_2")->isEnabled() && s.widget("Command3")->isEnabled());
        QCOMPARE(TextColor(s.widget("Text7_1")), kGrey);
        QVERIFY(s.messages.messages.isEmpty());
    }

    void resultStateSendsThePriceFieldsOnToClearAndClearKeepsThePlan() {
        Session s;
        QVERIFY(s.open());
        s.run("[Check1]2\r[Check2]3\r8\r[Check3]1.5\r20\r\r");
        QCOMPARE(s.text("Text2"), QStringLiteral("14.83"));

        s.click("Text1");
        QCOMPARE(Focused(), s.widget("Text7_2"));
        // Clicking into the other price field turns the direction round.
        s.click("Text2");
        QCOMPARE(Focused(), s.widget("Text7_2"));
        QCOMPARE(s.text("Text7_1"), kBackward);

        // The plan stays editable; a new value counts from the next computation.
        s.click("Text3");
        s.field("Text3")->selectAll();
        s.run("4\r");
        QCOMPARE(Focused(), s.widget("Text7_2"));
        QCOMPARE(s.text("Text2"), QStringLiteral("14.83"));

        QTest::keyClick(Focused(), Qt::Key_Return);
        QCOMPARE(s.text("Text1"), QString());
        QCOMPARE(s.text("Text2"), QString());
        QCOMPARE(Focused(), s.widget("Text2"));
        QVERIFY(!s.field("Text2")->isReadOnly());
        QVERIFY(s.widget("Text7_1")->isEnabled() && !s.widget("Text7_2")->isEnabled());
        QCOMPARE(TextColor(s.widget("Text7_2")), kGrey);
        const QStringList plan{s.text("Text3"), s.text("Text4"), s.text("Text5"), s.text("Text6")};
        QCOMPARE(plan, (QStringList{"4", "3", "8", "1.50"}));
        for (const char* name : {"Check1", "Check2", "Check3"}) {
            QVERIFY(s.check(name)->isChecked());
        }

        // 15 × (1 + 0.4 + 0.3) + 0.15 − 2.4, from fresh working sums.
        s.run("15\r\r");
        QCOMPARE(s.text("Text1"), QStringLiteral("23.25"));
        // Clear by its access key puts the focus back where the direction points.
        QTest::keyClick(Focused(), Qt::Key_C, Qt::AltModifier);
        QTRY_COMPARE(s.text("Text1"), QString());
        QCOMPARE(Focused(), s.widget("Text2"));
    }

    void tabWalksThePricesThenThePlanSkippingWhatIsOff() {
        Session s;
        QVERIFY(s.open());
        auto walk = [&s] {
            QStringList names;
            for (int i = 0; i < 9; ++i) {
                QTest::keyClick(Focused(), Qt::Key_Tab);
                names << Focused()->objectName();
                if (Focused() == s.widget("Text1")) {
                    break;
                }
            }
            return names.join(u' ');
        };
        QCOMPARE(walk(), QStringLiteral("Text2 Check1 Check2 Check3 Text1"));
        s.run("[Check1]1\r[Check2]1\r1\r[Check3]1\r");
        QCOMPARE(Focused(), s.widget("Text1"));
        QCOMPARE(walk(),
                 QStringLiteral("Text2 Check1 Check2 Check3 Text3 Text4 Text5 Text6 Text1"));
    }

    void commits_data() {
        const CommitCase cases[] = {
            {"empty price", "\r", "Text1", "0.00", 0, "Text7_1"},
            {"empty price after", "[Text2]\r", "Text2", "0.00", 0, "Text7_1"},
            {"two decimals", "12.5\r", "Text1", "12.50", 12.5, "Text7_1"},
            {"whole number as typed", "[Text2]12\r", "Text2", "12", 12, "Text7_1"},
            {"trailing point kept", "12.\r", "Text1", "12.", 12, "Text7_1"},
            {"leading zeros kept", "007\r", "Text1", "007", 7, "Text7_1"},
            {"share count as typed", "[Check1]2.5\r", "Text3", "2.5", 2.5, "Text1"},
            {"empty share count", "[Check1]\r", "Text3", "0.00", 0, "Text1"},
            {"share count back to the price after", "[Text2][Check1]3\r", "Text3", "3", 3, "Text2"},
            {"count on to the rights price", "[Check2]3\r", "Text4", "3", 3, "Text5"},
            {"rights price", "[Check2]3\r6.1\r", "Text5", "6.10", 6.1, "Text1"},
            {"empty rights price keeps the plan", "[Check2]3\r\r", "Text5", "0.00", 0, "Text1"},
            {"cash", "[Check3]1.5\r", "Text6", "1.50", 1.5, "Text1"},
            {"rewritten past the limit", "[Check2]1\r1234567.5\r", "Text5", "1234567.50", 1234567.5,
             "Text1"},
            {"leaving rewrites", "[Check3]1.5[Text1]", "Text6", "1.50", 1.5, "Text1"},
            {"leaving keeps a whole number", "[Check1]2.[Text2]", "Text3", "2.", 2, "Text2"},
        };
        AddCaseRows(cases);
    }

    void commits() {
        QFETCH(CommitCase, c);
        Session s;
        QVERIFY(s.open());
        s.run(c.script);
        QCOMPARE(s.text(c.field), QString::fromUtf8(c.shown));
        QCOMPARE(s.stored(c.field), c.stored);
        QCOMPARE(Focused(), s.widget(c.focus));
    }

    void fiveDecimalsAreShownWithFourButStoredAsTypedUntilReadAgain() {
        Session s;
        QVERIFY(s.open());
        s.run("1.23456[Text2]");
        QCOMPARE(s.text("Text1"), QStringLiteral("1.2346"));
        QCOMPARE(s.stored("Text1"), 1.23456);
        s.run("[Text1][Text2]");
        QCOMPARE(s.stored("Text1"), 1.2346);
    }

    void plansWithMissingInputSwitchOff_data() {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("check");
        QTest::addColumn<bool>("stays");
        QTest::newRow("rights, Enter twice") << "[Check2]3\r\r"
                                             << "Check2" << true;
        QTest::newRow("rights, price field clicked") << "[Check2]3\r[Text1]"
                                                     << "Check2" << false;
        QTest::newRow("rights count left empty") << "[Check2][Text5]8\r"
                                                 << "Check2" << false;
        QTest::newRow("bonus left empty") << "[Check1][Text2]"
                                          << "Check1" << false;
        QTest::newRow("cash, Enter") << "[Check3]\r"
                                     << "Check3" << true;
    }

    void plansWithMissingInputSwitchOff() {
        QFETCH(QString, script);
        QFETCH(QString, check);
        QFETCH(bool, stays);
        Session s;
        QVERIFY(s.open());
        s.run(script.toUtf8().constData());
        QCOMPARE(s.check(check)->isChecked(), stays);
        for (const QString& field : FieldsOf(check)) {
            QCOMPARE(s.widget(field)->isEnabled(), stays);
            if (!stays) {
                QCOMPARE(s.text(field), QString());
                QCOMPARE(s.stored(field), 0.0);
            }
        }
    }

    void planRowsSwitchOnAndOff_data() {
        const PlanRowCase cases[] = {
            {"bonus", "Check1", "Text3", "Label3_0"},
            {"rights", "Check2", "Text4 Text5", "Label3_1 Label3_3"},
            {"cash", "Check3", "Text6", "Label3_2"},
        };
        AddCaseRows(cases);
    }

    void planRowsSwitchOnAndOff() {
        QFETCH(PlanRowCase, c);
        const QStringList fields = Words(c.fields), labels = Words(c.labels);
        Session s;
        QVERIFY(s.open());
        QCheckBox* box = s.check(c.check);
        const QColor greyCaption = box->palette().color(QPalette::WindowText);
        QCOMPARE(greyCaption, kGrey);

        s.click(c.check);
        QCOMPARE(Focused(), s.widget(fields.front()));
        QCOMPARE(box->palette().color(QPalette::WindowText),
                 QGuiApplication::palette().color(QPalette::ButtonText));
        for (const QString& name : fields) {
            QVERIFY(s.widget(name)->isEnabled());
            QCOMPARE(Background(s.widget(name)), kTeal);
            s.field(name)->setFocus();
            s.run("7\r");
            QCOMPARE(s.stored(name), 7.0);
        }
        for (const QString& name : labels) {
            QVERIFY(s.widget(name)->isEnabled());
        }

        s.click(c.check);
        QCOMPARE(box->palette().color(QPalette::WindowText), greyCaption);
        for (const QString& name : fields) {
            QVERIFY(!s.widget(name)->isEnabled());
            QCOMPARE(Background(s.widget(name)), kLightBlue);
            QCOMPARE(s.text(name), QString());
            QCOMPARE(s.stored(name), 0.0);
        }
        for (const QString& name : labels) {
            QVERIFY(!s.widget(name)->isEnabled());
        }
    }

    void keyFilters_data() {
        const FilterCase cases[] = {
            {"point first", "Text1", "", 0, 0, ".5", "5"},
            {"point at the caret start", "Text2", "12", 0, 0, ".", "12"},
            {"point over a selection from 0", "Text5", "12.5", 0, 4, ".", "12.5"},
            {"second point", "Text3", "", 0, 0, "1.2.3", "1.23"},
            {"point replaces the selected one", "Text6", "12.5", 1, 2, ".7", "1.75"},
            {"point over a selection without one", "Text4", "12.5", 1, 1, ".", "12.5"},
            {"letters, signs, blanks", "Text1", "", 0, 0, "1a-2 +e3,", "123"},
            {"backspace", "Text2", "12.5", 4, 0, "\b\b7", "127"},
            {"price length", "Text1", "", 0, 0, "1234567890123", "12345678901"},
            {"price after length", "Text2", "", 0, 0, "123456.78901", "123456.7890"},
            {"bonus length", "Text3", "", 0, 0, "123456789", "1234567"},
            {"rights length", "Text4", "", 0, 0, "1.2345678", "1.23456"},
            {"rights price length", "Text5", "", 0, 0, "12345678901", "123456789"},
            {"cash length", "Text6", "", 0, 0, "1234.567890", "1234.5678"},
            {"full after a rewrite", "Text5", "1234567.50", 10, 0, "9", "1234567.50"},
            {"typing over a selection", "Text5", "1234567.50", 0, 2, "98", "934567.50"},
        };
        AddCaseRows(cases);
    }

    void keyFilters() {
        QFETCH(FilterCase, c);
        const QString field = c.field;
        Session s;
        QVERIFY(s.open());
        if (!CheckOf(field).isEmpty()) {
            s.click(CheckOf(field));
        }
        QLineEdit* edit = s.field(field);
        edit->setFocus();
        edit->setText(c.before);
        if (c.selLength > 0) {
            edit->setSelection(c.selStart, c.selLength);
        } else {
            edit->setCursorPosition(c.selStart);
        }
        s.run(c.keys);
        QCOMPARE(edit->text(), QString::fromUtf8(c.after));
        QCOMPARE(Focused(), edit);
    }

    // A paste gives what typing its characters would, line breaks aside (typed, they would
    // be Enter).
    void pasteGivesWhatTypingWould_data() {
        QTest::addColumn<QString>("pasted");
        QTest::addColumn<QString>("inPriceField");
        QTest::newRow("minus") << "-10"
                               << "10";
        QTest::newRow("letters and minus") << "ab-12.5"
                                           << "12.5";
        QTest::newRow("exponent") << "1e5"
                                  << "15";
        QTest::newRow("point first") << ".5.6"
                                     << "5.6";
        QTest::newRow("line break") << "12\r\n3.4\n5"
                                    << "123.45";
        QTest::newRow("100 characters") << QString("9x8.7-6 5.").repeated(10) << "98.76598765";
    }

    void pasteGivesWhatTypingWould() {
        QFETCH(QString, pasted);
        QFETCH(QString, inPriceField);
        QString typed = pasted;
        typed.remove(u'\r').remove(u'\n');
        Session s;
        QVERIFY(s.open());
        for (const QString& name : Words("Text1 Text2 Text3 Text4 Text5 Text6")) {
            if (!CheckOf(name).isEmpty() && !s.check(CheckOf(name))->isChecked()) {
                s.click(CheckOf(name));
            }
            QLineEdit* edit = s.field(name);
            edit->setFocus();
            QGuiApplication::clipboard()->setText(pasted);
            QTest::keySequence(edit, QKeySequence::Paste);
            const QString afterPaste = edit->text();
            QCOMPARE(Focused(), edit);
            edit->clear();
            QTest::keyClicks(edit, typed);
            QCOMPARE(afterPaste, edit->text());
            if (name == "Text1") {
                QCOMPARE(afterPaste, inPriceField);
            }
            edit->clear();
        }
    }

    // The script leads to the control; a button field that no key leads to is given the
    // focus directly.
    void f1FromAnyControlOpensHelp_data() {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("script");
        QTest::newRow("price before") << "Text1"
                                      << "";
        QTest::newRow("price after") << "Text2"
                                     << "[Text2]";
        QTest::newRow("bonus") << "Text3"
                               << "[Check1]";
        QTest::newRow("rights price") << "Text5"
                                      << "[Check2]3\r";
        QTest::newRow("check box") << "Check1"
                                   << "[Check1][Check1]";
        QTest::newRow("compute") << "Text7_1"
                                 << "5\r";
        QTest::newRow("clear") << "Text7_2"
                               << "5\r\r";
        QTest::newRow("exit") << "Text7_0"
                              << "";
    }

    void f1FromAnyControlOpensHelp() {
        QFETCH(QString, control);
        QFETCH(QString, script);
        Session s;
        QVERIFY(s.open());
        s.run(script.toUtf8().constData());
        QWidget* target = s.widget(control);
        if (control == "Text7_0") {
            target->setFocus();
        }
        QCOMPARE(Focused(), target);
        QTest::keyClick(target, Qt::Key_F1);
        QVERIFY(Form7::Instance() != nullptr && Form7::Instance()->isVisible());
        QVERIFY(!s.form.isNull() && s.form->isVisible());
        QVERIFY(s.main->isMinimized());
    }

    void leavingTheWindow_data() {
        const LeaveCase cases[] = {
            {"exit button field", "[Text7_0]", true, false, false},
            {"Enter on exit", "exit-enter", true, false, false},
            {"Alt+X", "alt-x", true, false, false},
            {"X", "[Label8_1]", true, false, true},
            {"minimise", "[Label8_0]", false, true, true},
            {"Escape", "escape", false, false, true},
        };
        AddCaseRows(cases);
    }

    void leavingTheWindow() {
        QFETCH(LeaveCase, c);
        const QString how = c.how;
        Session s;
        QVERIFY(s.open());
        s.run("12.5");
        if (how == "exit-enter") {
            s.widget("Text7_0")->setFocus();
            QTest::keyClick(Focused(), Qt::Key_Return);
        } else if (how == "alt-x") {
            QTest::keyClick(Focused(), Qt::Key_X, Qt::AltModifier);
        } else if (how == "escape") {
            QTest::keyClick(Focused(), Qt::Key_Escape);
        } else {
            s.run(c.how);
        }
        if (c.formClosed) {
            QTRY_VERIFY(s.form.isNull());
        } else {
            QVERIFY(!s.form.isNull());
            QCOMPARE(s.form->isMinimized(), c.formMinimised);
            QCOMPARE(s.text("Text1"), QStringLiteral("12.5"));
        }
        QCOMPARE(s.main->isMinimized(), c.mainMinimised);
        QVERIFY(s.messages.messages.isEmpty());
    }
};

QTEST_MAIN(ExRightsWindowTest)
#include "exrights_window_test.moc"
