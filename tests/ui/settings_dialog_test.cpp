// The parameter settings dialog as a user drives it from the main window: keys and focus
// in the parameter fields, hostile pastes, every way out, the bytes it leaves in the
// settings file, the colour picks of the custom scheme, and the rates and colours the
// main window uses afterwards.
#include "core/program_state.h"
#include "ui/common/color_chooser.h"
#include "ui/help/help_window.h"
#include "ui/main/main_window.h"
#include "ui_test_support.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QSignalSpy>
#include <QTabWidget>
#include <QtTest>

#include <memory>
#include <optional>

using namespace ym::ui;

namespace {

const QString kSettingsFile = QStringLiteral("Yuanmate5.ini");
const QString kBadInput = QStringLiteral("提示:   ** 错误的输入!请重新输入.");
const QString kPrompt = QStringLiteral("提示:   ** 参数信息已经改变,要存储当前的参数信息吗？");
const QString kStored = QStringLiteral("提示:   ** 参数信息已经存储完毕!立即生效.");

// Picks are answered from `answers` in turn; an invalid colour cancels the chooser.
class RecordingChooser : public ColorChooser {
public:
    RecordingChooser() : m_previous(SetColorChooser(this)) {}
    ~RecordingChooser() override { SetColorChooser(m_previous); }
    RecordingChooser(const RecordingChooser&) = delete;
    RecordingChooser& operator=(const RecordingChooser&) = delete;

    std::optional<QColor> choose(QWidget*, const QColor& initial) override {
        initials << initial;
        const QColor answer = answers.isEmpty() ? QColor() : answers.takeFirst();
        return answer.isValid() ? std::optional<QColor>(answer) : std::nullopt;
    }

    QList<QColor> initials;
    QList<QColor> answers;

private:
    ColorChooser* m_previous;
};

QWidget* Focused() {
    return QApplication::focusWidget();
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

// "\b" Backspace, "\r" Enter, "\x7f" Delete; anything else is typed.
void Keys(QWidget* target, const QString& keys) {
    for (const QChar ch : keys) {
        if (ch == u'\b') {
            QTest::keyClick(target, Qt::Key_Backspace);
        } else if (ch == u'\r') {
            QTest::keyClick(target, Qt::Key_Return);
        } else if (ch == u'\x7f') {
            QTest::keyClick(target, Qt::Key_Delete);
        } else {
            QTest::keyClicks(target, QString(ch));
        }
    }
}

// One run of the program in a folder of its own, with a Shanghai A-share trade on the
// panels, so that a refresh of the main window shows as rows back at zero.
struct Session {
    TempWorkingDirectory dir;
    RecordingMessages messages;
    RecordingChooser chooser;
    ym::ProgramState state;
    std::unique_ptr<Form1> form;

    bool start() {
        form = std::make_unique<Form1>(state);
        if (!form->Form_Load()) {
            return false;
        }
        form->show();
        form->activateWindow();
        if (!QTest::qWaitForWindowActive(form.get())) {
            return false;
        }
        QTest::mouseClick(form->findChild<QWidget*>("Option1"), Qt::LeftButton);
        return trade() == "73.50元"; // 0.35 % of 10,000 plus 0.35 % of 11,000
    }
    // Types 10, 11 and 1000 key by key and calculates; the commission row.
    QString trade() const {
        auto* text1 = form->findChild<QLineEdit*>("Text1");
        text1->setFocus();
        text1->selectAll();
        for (const char* text : {"10", "11", "1000"}) {
            QTest::keyClicks(Focused(), text);
            QTest::keyClick(Focused(), Qt::Key_Return);
        }
        QTest::keyClick(Focused(), Qt::Key_Return);
        return form->findChild<QLabel*>("Label4_0")->text();
    }
    // F5, or the tool button "设置参数(F5)".
    bool open(bool byButton = false) const {
        if (byButton) {
            QTest::mouseClick(form->findChild<QWidget*>("Command6_2"), Qt::LeftButton);
        } else {
            // The key's release goes to a window that has hidden itself.
            QTest::keyPress(Focused(), Qt::Key_F5);
        }
        return Dialog() != nullptr && QTest::qWaitForWindowActive(Dialog());
    }
    template <class T = QWidget> T* get(const QString& name) const {
        return Dialog()->findChild<T*>(name);
    }
    void click(const QString& name) const { QTest::mouseClick(get(name), Qt::LeftButton); }
    QLineEdit* field(const QString& name) const { return get<QLineEdit>(name); }
    QComboBox* combo(const QString& name) const { return get<QComboBox>(name); }
    QColor bar(const QString& name) const { return get(name)->palette().color(QPalette::Window); }
    QStringList shown() const { return messages.shown(); }
    QString path() const { return dir.filePath(kSettingsFile); }
    QByteArray fileBytes() const { return ReadTestFile(path()); }
    // The "SHOWCOLOR" section from its header to the next one or the end of the file.
    QByteArray showColor() const {
        const QByteArray bytes = fileBytes();
        const qsizetype start = bytes.indexOf("[SHOWCOLOR]");
        const qsizetype next = bytes.indexOf("\n[", start);
        return start < 0 ? QByteArray() : bytes.mid(start, next < 0 ? -1 : next + 1 - start);
    }
    bool mainWindowBack() const {
        return form->isVisible() && form->isEnabled() && QTest::qWaitForWindowActive(form.get());
    }
};

QStringList Codes(const char* codes) {
    QStringList boxes;
    for (const char* c = codes; *c != '\0'; ++c) {
        boxes << (*c == 'B' ? kBadInput : *c == 'P' ? kPrompt : kStored);
    }
    return boxes;
}

// After the dialog opens, the keys go to Text2_0 with its text selected; `how` leaves.
// `line` is what the file then holds for A1 (empty: the file is left as it was) and
// `shown` what Text2_0 shows on the next opening.
struct ExitCase {
    const char *name, *keys, *how;
    ym::ui::MessageAnswer answer;
    bool readOnly;
    const char *messages, *line, *shown;
};

// Keys (see Keys) or a paste (`paste`: k by the keyboard, m from the context menu) go to
// `field` with its text selected, then OK is clicked and a store prompt answered Cancel.
// `messages`: B bad input, P the store prompt.
struct FieldCase {
    const char *name, *field, *keys;
    char paste;
    const char *after, *focus, *messages;
    bool staysOpen = false;
};

struct Pick {
    const char* bar;
    const char* list;
    int item;
    QColor answer; // invalid: the chooser is cancelled
    QColor initial;
};

struct SchemeCase {
    const char* name;
    int scheme;
    Pick picks[2];
    const char* section;
    QColor aPanel, bPanel, flat;
};

} // namespace

Q_DECLARE_METATYPE(ExitCase)
Q_DECLARE_METATYPE(FieldCase)
Q_DECLARE_METATYPE(SchemeCase)

class SettingsDialogTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { InstallModalWatchdog(); }
    void cleanup() {
        if (Form7* help = Form7::Instance()) {
            help->close();
        }
    }

    void waysOut_data() {
        using enum ym::ui::MessageAnswer;
        const ExitCase cases[] = {
            {"OK untouched", "", "Command2", Ok, false, "", "", "0.0035"},
            {"Alt+O untouched", "", "alt+o", Ok, false, "", "", "0.0035"},
            {"Cancel drops an edit", "9", "Command1", Ok, false, "", "", "0.0035"},
            {"Alt+C drops an edit", "9", "alt+c", Ok, false, "", "", "0.0035"},
            {"Enter on the focused Cancel", "9", "enter", Ok, false, "", "", "0.0035"},
            {"close box drops an edit", "9", "close", Ok, false, "", "", "0.0035"},
            {"Cancel at the prompt", "9", "Command2", Cancel, false, "P", "", "0.0035"},
            {"Backspace alone is a change", "\b", "Command2", Ok, false, "PS", "A1= 0", "0"},
            {"bad text stored as its number", "12a", "Command2", Ok, false, "PS", "A1= 12", "12"},
            {"read-only file", "9", "Command2", Ok, true, "P", "", ""},
        };
        AddCaseRows(cases);
    }

    void waysOut() {
        QFETCH(ExitCase, c);
        Session s;
        QVERIFY(s.start());
        const QString how = c.how;
        const bool saves = *c.line != '\0';
        if (c.readOnly) {
            QVERIFY(QFile::setPermissions(s.path(), QFileDevice::ReadOwner));
            QVERIFY(QFile::setPermissions(s.dir.path(),
                                          QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        }
        const QByteArray before = s.fileBytes();
        const QDateTime modified = QFileInfo(s.path()).lastModified();
        const ym::FeeParameters parameters = s.state.parameters;
        QSignalSpy ended(s.form.get(), &Form1::programEnded);
        s.messages.answer = c.answer;

        QVERIFY(s.open());
        QVERIFY(!s.form->isVisible() && !s.form->isEnabled());
        QCOMPARE(Focused(), s.field("Text2_0"));
        Keys(Focused(), c.keys);
        if (how == "alt+o" || how == "alt+c") {
            QTest::keyClick(Focused(), how == "alt+o" ? Qt::Key_O : Qt::Key_C, Qt::AltModifier);
            QTRY_VERIFY(Dialog() == nullptr);
        } else if (how == "enter") {
            s.get("Command1")->setFocus();
            QTest::keyClick(Focused(), Qt::Key_Return);
        } else if (how == "close") {
            Dialog()->close();
        } else {
            s.click(how);
        }
        if (c.readOnly) {
            QVERIFY(QFile::setPermissions(s.dir.path(), QFileDevice::ReadOwner |
                                                            QFileDevice::WriteOwner |
                                                            QFileDevice::ExeOwner));
        }

        QVERIFY(Dialog() == nullptr);
        QVERIFY(s.mainWindowBack());
        QStringList messages = Codes(c.messages);
        if (c.readOnly) {
            messages << "警告:   ## Error change shanghai!6005";
        }
        QCOMPARE(s.shown(), messages);
        QCOMPARE(ended.size(), c.readOnly ? 1 : 0);
        if (c.readOnly) {
            QCOMPARE(ended.front().front().toInt(), 1);
        }
        if (saves) {
            QVERIFY(s.fileBytes().contains(QByteArray(c.line) + "\r\nA2="));
            // The panels were refreshed.
            QCOMPARE(s.form->findChild<QLabel*>("Label4_0")->text(), QStringLiteral("0.00元"));
        } else {
            QCOMPARE(s.fileBytes(), before);
            QCOMPARE(QFileInfo(s.path()).lastModified(), modified);
            QVERIFY(s.state.parameters.shanghai == parameters.shanghai);
            QCOMPARE(s.form->findChild<QLabel*>("Label4_0")->text(), QStringLiteral("73.50元"));
        }
        if (!c.readOnly) {
            // A fresh dialog, loaded from memory.
            QVERIFY(s.open(true));
            QCOMPARE(s.field("Text2_0")->text(), QString::fromUtf8(c.shown));
        }
    }

    void fieldKeys_data() {
        const FieldCase cases[] = {
            {"12a then Enter keeps the focus", "Text2_3", "12a\r", 0, "", "Text2_3", "BP"},
            {"bad text refuses the next key", "Text3_2", "1a2", 0, "", "Text3_2", "BP"},
            {"number typed key by key", "Text2_25", "-4.6E-05\r", 0, "-4.6E-05", "Text2_26", "P"},
            {"unfinished number on Enter", "Text2_4", "1E-\r", 0, "", "Text2_4", "BP"},
            {"Enter to the right column", "Text2_13", "\r", 0, "0.001", "Text2_14", "P"},
            {"Enter wraps Shanghai", "Text2_26", "\r", 0, "0", "Text2_0", "P"},
            {"Enter wraps Shenzhen", "Text3_27", "\r", 0, "500", "Text3_0", "P"},
            {"Delete alone is a change", "Text3_5", "\x7f", 0, "", "Text3_5", "P"},
            {"too large to store", "Text3_4", "1e999", 0, "1e999", "Text3_4", "B", true},
            {"pasted line", "Text2_1", " 0.0045\r\n", 'k', "0.0045", "Text2_1", "P"},
            {"pasted currency", "Text2_1", "0.0045元", 'k', "10", "Text2_1", "B"},
            {"pasted thousands", "Text3_27", "1,000", 'k', "500", "Text3_27", "B"},
            {"menu paste judged too", "Text3_27", "5e", 'm', "500", "Text3_27", "B"},
            {"pasted overlong", "Text3_27",
             "0.00000000000000000000000000000000000000000000000000"
             "00000000000001",
             'k', "500", "Text3_27", "B"},
        };
        AddCaseRows(cases);
    }

    void fieldKeys() {
        QFETCH(FieldCase, c);
        Session s;
        QVERIFY(s.start());
        QVERIFY(s.open());
        s.messages.answer = MessageAnswer::Cancel;
        QLineEdit* field = s.field(c.field);
        s.get<QTabWidget>("SSTab1")->setCurrentWidget(field->parentWidget());
        field->setFocus();
        field->selectAll();
        if (c.paste != 0) {
            QGuiApplication::clipboard()->setText(QString::fromUtf8(c.keys));
        }
        if (c.paste == 'k') {
            QTest::keySequence(field, QKeySequence::Paste);
        } else if (c.paste == 'm') {
            QContextMenuEvent event(QContextMenuEvent::Keyboard, QPoint(2, 2),
                                    field->mapToGlobal(QPoint(2, 2)));
            QCoreApplication::sendEvent(field, &event);
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            QVERIFY(menu != nullptr);
            QAction* paste = menu->findChild<QAction*>("edit-paste");
            QVERIFY(paste != nullptr && paste->isEnabled());
            paste->trigger();
            menu->close();
        } else {
            Keys(field, QString::fromUtf8(c.keys));
        }
        QCOMPARE(field->text(), QString::fromUtf8(c.after));
        QCOMPARE(Focused(), s.field(c.focus));
        if (Focused() != field) {
            QCOMPARE(s.field(c.focus)->selectedText(), s.field(c.focus)->text());
        }

        const ym::FeeParameters parameters = s.state.parameters;
        const QByteArray bytes = s.fileBytes();
        s.click("Command2");
        QCOMPARE(s.shown(), Codes(c.messages));
        QCOMPARE(s.fileBytes(), bytes);
        QVERIFY(s.state.parameters.shanghai == parameters.shanghai);
        QVERIFY(s.state.parameters.shenzhen == parameters.shenzhen);
        // A number too large to store keeps the dialog open on it.
        QCOMPARE(Dialog() != nullptr, c.staysOpen);
        if (c.staysOpen) {
            QCOMPARE(Focused(), field);
        }
    }

    void confirmedRateTakesEffectInTheNextCalculation() {
        Session s;
        QVERIFY(s.start());
        QVERIFY(s.open());
        QCOMPARE(s.field("Text2_0")->text(), QStringLiteral("0.0035"));
        QCOMPARE(s.field("Text2_25")->text(), QStringLiteral("4.5E-05"));
        QCOMPARE(s.get<QLabel>("Label2_25")->text(), QStringLiteral("B股主管机关规费率"));
        Keys(Focused(), ".005");
        s.click("Command2");
        QCOMPARE(s.shown(), Codes("PS"));
        QVERIFY(s.fileBytes().contains("\r\nA1= .005\r\nA2= 10\r\n"));
        QVERIFY(s.mainWindowBack());
        // 0.5 % of 10,000 plus 0.5 % of 11,000.
        QCOMPARE(s.trade(), QStringLiteral("105.00元"));
    }

    void schemes_data() {
        const QColor none;
        const QColor yellow(255, 255, 0), blue(128, 128, 255), grey(192, 192, 192);
        const SchemeCase cases[] = {
            {"scheme 2", 2, {}, "[SHOWCOLOR]\r\nColor= 2\r\n", grey, grey, yellow},
            {"custom from scheme 0",
             4,
             {},
             "[SHOWCOLOR]\r\nColor= 4\r\nSColor1= 16744576\r\nSColor2=-2147483630\r\n"
             "SColor3=-2147483634\r\nSColor4= 8421631\r\nSColor5= 65535\r\nSColor6= 8454016\r\n"
             "SColor7= 8438015\r\nSColor8= 16776960\r\nSColor9= 255\r\nSColor10= 16744576\r\n",
             blue,
             blue,
             yellow},
            {"custom with picks",
             4,
             {{"Label7", "Combo2", 3, QColor(1, 2, 3), yellow},
              {"Label5", "Combo4", 1, QColor(255, 0, 0), blue}},
             "[SHOWCOLOR]\r\nColor= 4\r\nSColor1= 16744576\r\nSColor2=-2147483630\r\n"
             "SColor3=-2147483634\r\nSColor4= 8421631\r\nSColor5= 197121\r\nSColor6= 8454016\r\n"
             "SColor7= 8438015\r\nSColor8= 16776960\r\nSColor9= 255\r\nSColor10= 255\r\n",
             blue,
             QColor(255, 0, 0),
             QColor(1, 2, 3)},
            {"bars refuse clicks in a preset",
             1,
             {{"Label5", "Combo4", 0, QColor(1, 2, 3), none}},
             "[SHOWCOLOR]\r\nColor= 1\r\n",
             QColor(128, 128, 128),
             QColor(128, 128, 128),
             yellow},
        };
        AddCaseRows(cases);
    }

    void schemes() {
        QFETCH(SchemeCase, c);
        Session s;
        QVERIFY(s.start());
        QVERIFY(s.open());
        s.get<QTabWidget>("SSTab1")->setCurrentIndex(2);
        s.combo("Combo1")->setCurrentIndex(c.scheme);
        QList<QColor> initials;
        for (const Pick& pick : c.picks) {
            if (pick.bar == nullptr) {
                break;
            }
            s.combo(pick.list)->setCurrentIndex(pick.item);
            s.chooser.answers << pick.answer;
            s.click(pick.bar);
            if (pick.initial.isValid()) {
                initials << pick.initial;
                QCOMPARE(s.bar(pick.bar), pick.answer);
            }
        }
        QCOMPARE(s.chooser.initials, initials);
        s.click("Command2");
        QCOMPARE(s.shown(), Codes("PS"));
        QCOMPARE(s.showColor(), QByteArray(c.section));
        QVERIFY(s.mainWindowBack());
        QCOMPARE(s.form->findChild<QWidget*>("Picture2_0")->palette().color(QPalette::Window),
                 c.aPanel);
        QCOMPARE(s.form->findChild<QWidget*>("Picture2_1")->palette().color(QPalette::Window),
                 c.bPanel);
        QCOMPARE(s.form->findChild<QLabel*>("Label4_5")->palette().color(QPalette::WindowText),
                 c.flat);
    }

    void picksSurviveCancel() {
        Session s;
        QVERIFY(s.start());
        const QByteArray bytes = s.fileBytes();
        const ym::ColorTable shown = s.state.scheme.CurColor;
        QVERIFY(s.open());
        s.combo("Combo1")->setCurrentIndex(4);
        s.combo("Combo3")->setCurrentIndex(1);
        const QColor picked(10, 20, 30);
        s.chooser.answers << picked << QColor();
        s.click("Label9");
        s.click("Label9"); // cancelled: the bar keeps the pick
        QCOMPARE(s.chooser.initials, (QList<QColor>{QColor(255, 0, 0), picked}));
        QCOMPARE(s.bar("Label9"), picked);
        s.click("Command1");

        QVERIFY(s.mainWindowBack());
        QCOMPARE(s.fileBytes(), bytes);
        QCOMPARE(s.state.scheme.Color, std::int16_t{0});
        QVERIFY(s.state.scheme.CurColor == shown);
        QVERIFY(s.open());
        QCOMPARE(s.combo("Combo1")->currentIndex(), 0);
        s.combo("Combo1")->setCurrentIndex(4);
        s.combo("Combo3")->setCurrentIndex(1);
        QCOMPARE(s.bar("Label9"), picked);
        s.click("Command2");
        QVERIFY(s.showColor().contains("\r\nSColor9= 1971210\r\n"));
    }

    void f1OpensHelpAndEscapeDoesNothing() {
        Session s;
        QVERIFY(s.start());
        QVERIFY(s.open());
        QTest::keyClick(Focused(), Qt::Key_Escape);
        QVERIFY(Dialog() != nullptr);
        QTest::keyClick(Focused(), Qt::Key_F1);
        QVERIFY(Form7::Instance() != nullptr && Form7::Instance()->isVisible());
        QVERIFY(Dialog() != nullptr);
        QVERIFY(s.messages.messages.isEmpty());
    }
};

QTEST_MAIN(SettingsDialogTest)
#include "settings_dialog_test.moc"
