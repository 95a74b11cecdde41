// The parameter settings dialog as a user drives it from the main window: keys and focus
// in the parameter fields, hostile pastes, every way out, the bytes it leaves in the
// settings file, the colour picks of the custom scheme, and the rates and colours the
// main window uses afterwards.
#include "ui_test_support.h"

using namespace ym::ui;

namespace {

const QString kBadInput = QStringLiteral("提示:   ** 错误的输入!请重新输入.");

// B bad input, P the store prompt, S stored, W the warning that the file cannot be changed.
QStringList Codes(const char* codes) {
    QStringList boxes;
    for (const char* c = codes; *c != '\0'; ++c) {
        boxes << (*c == 'B'   ? kBadInput
                  : *c == 'P' ? kStorePrompt
                  : *c == 'S' ? kStored
                              : QStringLiteral("警告:   ## Error change shanghai!6005"));
    }
    return boxes;
}

// A started main window, Shanghai selected and a trade of 10, 11 and 1000 on the panels,
// so that a refresh shows as rows back at zero: 0.35 % of 10,000 plus 0.35 % of 11,000.
bool Start(Session& s) {
    if (!s.start()) {
        return false;
    }
    s.click("Option1");
    s.trade("10", "11", "1000");
    return s.text("Label4_0") == "73.50元";
}

QColor Bar(const QString& name) {
    return Get(name)->palette().color(QPalette::Window);
}

// After the dialog opens, `script` goes to Text2_0 with its text selected and leaves, or
// the window system closes the dialog after it. `line` is what the file then holds for A1
// (empty: the file is left as it was) and `shown` what Text2_0 shows on the next opening.
struct ExitCase {
    const char *name, *script;
    bool closeBox;
    MessageAnswer answer;
    bool readOnly;
    const char *messages, *line, *shown;
};

// Keys or a paste go to `field` with its text selected, then OK is clicked and a store prompt
// answered Cancel.
struct FieldCase {
    const char *name, *field, *keys;
    Entry entry;
    const char *after, *focus, *messages;
    bool staysOpen = false;
};

// Scheme `scheme` chosen, then, with `bar`, item `item` of Combo4 and a click on the bar,
// which the chooser answers with `answer`; `initial` is the colour it should be asked with
// (invalid: it should not be asked).
struct SchemeCase {
    const char* name;
    int scheme;
    const char* bar;
    int item;
    QColor answer, initial;
    const char* section;
    QColor bPanel;
};

} // namespace

Q_DECLARE_METATYPE(ExitCase)
Q_DECLARE_METATYPE(FieldCase)
Q_DECLARE_METATYPE(SchemeCase)

class SettingsDialogTest : public SessionTest {
    Q_OBJECT

    bool begin() override { return Start(*s); }

private slots:
    void waysOut_data() {
        using enum MessageAnswer;
        const ExitCase cases[] = {
            {"OK untouched", "[Command2]", false, Ok, false, "", "", "0.0035"},
            {"Alt+O untouched", "{Alt+O}", false, Ok, false, "", "", "0.0035"},
            {"Cancel drops an edit", "9[Command1]", false, Ok, false, "", "", "0.0035"},
            {"Alt+C drops an edit", "9{Alt+C}", false, Ok, false, "", "", "0.0035"},
            {"close box drops an edit", "9", true, Ok, false, "", "", "0.0035"},
            {"Cancel at the prompt", "9[Command2]", false, Cancel, false, "P", "", "0.0035"},
            {"Backspace alone is a change", "\b[Command2]", false, Ok, false, "PS", "A1= 0", "0"},
            {"bad text stored as its number", "12a[Command2]", false, Ok, false, "PS", "A1= 12",
             "12"},
            {"read-only file", "9[Command2]", false, Ok, true, "PW", "", ""},
        };
        AddCaseRows(cases);
    }

    void waysOut() {
        QFETCH(ExitCase, c);
        const QFileDevice::Permissions folder = QFile::permissions(s->dir.path());
        if (c.readOnly) {
            QVERIFY(QFile::setPermissions(s->path(), QFileDevice::ReadOwner));
            QVERIFY(QFile::setPermissions(s->dir.path(), folder & ~QFileDevice::WriteOwner));
        }
        const QByteArray before = s->fileBytes();
        const QDateTime modified = QFileInfo(s->path()).lastModified();
        const ym::FeeParameters parameters = s->state.parameters;
        QSignalSpy ended(s->form.get(), &MainWindow::programEnded);
        s->messages.answer = c.answer;

        QVERIFY(OpenSettings());
        QVERIFY(!s->form->isVisible() && !s->form->isEnabled());
        QCOMPARE(Focused(), Get("Text2_0"));
        Type(c.script, Dialog());
        if (c.closeBox) {
            Dialog()->close();
        }
        // An access key clicks its button a moment later.
        QTRY_VERIFY(Dialog() == nullptr);
        QVERIFY(QFile::setPermissions(s->dir.path(), folder));
        QCOMPARE(s->shown(), Codes(c.messages));
        QCOMPARE(ended.size(), c.readOnly ? 1 : 0);
        // A failed save ends the program with the message alone: the main window stays hidden.
        QVERIFY(c.readOnly ? !s->form->isVisible() && !s->form->isEnabled() : s->back());
        if (*c.line != '\0') {
            QVERIFY(s->fileBytes().contains(QByteArray(c.line) + "\r\nA2="));
            // The panels were refreshed.
            QCOMPARE(s->text("Label4_0"), QStringLiteral("0.00元"));
        } else {
            QCOMPARE(s->fileBytes(), before);
            QCOMPARE(QFileInfo(s->path()).lastModified(), modified);
            QVERIFY(s->state.parameters.shanghai == parameters.shanghai);
            QCOMPARE(s->text("Label4_0"), QStringLiteral("73.50元"));
        }
        if (!c.readOnly) {
            // A fresh dialog by the tool button, loaded from memory.
            s->click("Command6_2");
            QVERIFY(Dialog() != nullptr && QTest::qWaitForWindowActive(Dialog()));
            QCOMPARE(Get<QLineEdit>("Text2_0")->text(), QString::fromUtf8(c.shown));
        }
    }

    void fieldKeys_data() {
        using enum Entry;
        const FieldCase cases[] = {
            {"12a then Enter keeps the focus", "Text2_3", "12a\r", Typed, "", "Text2_3", "BP"},
            {"bad text refuses the next key", "Text3_2", "1a2", Typed, "", "Text3_2", "BP"},
            {"number typed", "Text2_25", "-4.6E-05\r", Typed, "-4.6E-05", "Text2_26", "P"},
            {"Enter wraps Shanghai", "Text2_26", "\r", Typed, "0", "Text2_0", "P"},
            {"Enter wraps Shenzhen", "Text3_27", "\r", Typed, "500", "Text3_0", "P"},
            {"too large to store", "Text3_4", "1e999", Typed, "1e999", "Text3_4", "B", true},
            {"pasted line", "Text2_1", " 0.0045\r\n", KeyPaste, "0.0045", "Text2_1", "P"},
            {"pasted currency", "Text2_1", "0.0045元", KeyPaste, "10", "Text2_1", "B"},
            {"menu paste judged too", "Text3_27", "5e", MenuPaste, "500", "Text3_27", "B"},
        };
        AddCaseRows(cases);
    }

    void fieldKeys() {
        QFETCH(FieldCase, c);
        QVERIFY(OpenSettings());
        s->messages.answer = MessageAnswer::Cancel;
        auto* field = Get<QLineEdit>(c.field);
        Get<QTabWidget>("SSTab1")->setCurrentWidget(field->parentWidget());
        field->setFocus();
        field->selectAll();
        QVERIFY(Enter(field, QString::fromUtf8(c.keys), c.entry));
        QCOMPARE(field->text(), QString::fromUtf8(c.after));
        QCOMPARE(Focused(), Get(c.focus));
        if (Focused() != field) {
            QCOMPARE(Get<QLineEdit>(c.focus)->selectedText(), Get<QLineEdit>(c.focus)->text());
        }
        Type("[Command2]", Dialog());
        QCOMPARE(s->shown(), Codes(c.messages));
        // A number too large to store keeps the dialog open on it.
        QCOMPARE(Dialog() != nullptr, c.staysOpen);
        QVERIFY(!c.staysOpen || Focused() == field);
    }

    // A pick is asked for with the bar's colour and goes straight into the custom scheme;
    // a preset's bars take no clicks. Saved, the B-share panel shows the scheme's colour.
    void schemes_data() {
        const QColor grey(128, 128, 128), red(255, 0, 0), blue(128, 128, 255);
        // clang-format off
        const SchemeCase cases[] = {
            {"scheme 2", 2, nullptr, 0, {}, {}, "[SHOWCOLOR]\r\nColor= 2\r\n", {192, 192, 192}},
            {"custom with a pick", 4, "Label5", 1, red, blue,
             "[SHOWCOLOR]\r\nColor= 4\r\nSColor1= 16744576\r\nSColor2=-2147483630\r\n"
             "SColor3=-2147483634\r\nSColor4= 8421631\r\nSColor5= 65535\r\nSColor6= 8454016\r\n"
             "SColor7= 8438015\r\nSColor8= 16776960\r\nSColor9= 255\r\nSColor10= 255\r\n", red},
            {"preset bar clicked", 1, "Label5", 0, red, {}, "[SHOWCOLOR]\r\nColor= 1\r\n", grey},
        };
        // clang-format on
        AddCaseRows(cases);
    }

    void schemes() {
        QFETCH(SchemeCase, c);
        QVERIFY(OpenSettings());
        Get<QTabWidget>("SSTab1")->setCurrentIndex(2);
        Get<QComboBox>("Combo1")->setCurrentIndex(c.scheme);
        if (c.bar != nullptr) {
            Get<QComboBox>("Combo4")->setCurrentIndex(c.item);
            s->chooser.answers << c.answer;
            Type(QStringLiteral("[%1]").arg(c.bar), Dialog());
            QCOMPARE(s->chooser.initials, QList<QColor>(c.initial.isValid() ? 1 : 0, c.initial));
            QVERIFY(!c.initial.isValid() || Bar(c.bar) == c.answer);
        }
        Type("[Command2]", Dialog());
        QCOMPARE(s->shown(), Codes("PS"));
        QVERIFY(s->fileBytes().endsWith(c.section)); // the last section, whole
        QVERIFY(s->back());
        QCOMPARE(s->get("Picture2_1")->palette().color(QPalette::Window), c.bPanel);
    }

    void picksSurviveCancel() {
        const QByteArray bytes = s->fileBytes();
        const ym::ColorTable shown = s->state.scheme.colors;
        QVERIFY(OpenSettings());
        Get<QComboBox>("Combo1")->setCurrentIndex(4);
        Get<QComboBox>("Combo3")->setCurrentIndex(1);
        const QColor picked(10, 20, 30);
        s->chooser.answers << picked << QColor();
        // The chooser opens on the bar's colour, then on the colour last picked; the second
        // pick, cancelled, changes nothing.
        const QColor textBar = Bar("Label7");
        Type("[Label9][Label7]", Dialog());
        QCOMPARE(s->chooser.initials, (QList<QColor>{QColor(255, 0, 0), picked}));
        QCOMPARE(Bar("Label9"), picked);
        QCOMPARE(Bar("Label7"), textBar);
        Type("[Command1]", Dialog());
        QVERIFY(s->back());
        QCOMPARE(s->fileBytes(), bytes);
        QVERIFY(s->state.scheme.colors == shown);

        QVERIFY(OpenSettings());
        QCOMPARE(Get<QComboBox>("Combo1")->currentIndex(), 0);
        Get<QComboBox>("Combo1")->setCurrentIndex(4);
        Get<QComboBox>("Combo3")->setCurrentIndex(1);
        QCOMPARE(Bar("Label9"), picked);
        Type("[Command2]", Dialog());
        QVERIFY(s->fileBytes().contains("\r\nSColor9= 1971210\r\n"));
    }

    void f1OpensHelpAndEscapeDoesNothing() {
        QVERIFY(OpenSettings());
        Type("{Esc}{F1}");
        QVERIFY(HelpWindow::Instance() != nullptr && HelpWindow::Instance()->isVisible());
        QVERIFY(Dialog() != nullptr);
    }
};

QTEST_MAIN(SettingsDialogTest)
#include "settings_dialog_test.moc"
