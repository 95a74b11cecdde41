// The main window as a user drives it: typing trades key by key, reading the result rows
// back as a broker's statement would be checked, the selectors, the function keys, the
// settings file it leaves behind, and the single running copy.
#include "core/settings_file.h"
#include "ui/common/program_state.h"
#include "ui/help/help_window.h"
#include "ui/main/main_window.h"
#include "ui_test_support.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QToolButton>
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
    ProgramState state;
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
    template <class T> T* get(const QString& name) const { return form->findChild<T*>(name); }
    QLabel* label(const QString& name) const { return get<QLabel>(name); }
    QLineEdit* field(const QString& name) const { return get<QLineEdit>(name); }
    QWidget* widget(const QString& name) const { return get<QWidget>(name); }
    QByteArray fileBytes() const {
        QFile file(dir.filePath(kSettingsFile));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
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

QStringList Values(const Session& s, const QString& prefix, int count) {
    QStringList values;
    for (int i = 0; i < count; ++i) {
        values << s.label(prefix + QString::number(i))->text();
    }
    return values;
}

QColor TextColor(const QWidget* w) {
    return w->palette().color(QPalette::WindowText);
}

// The eight labels of the net-profit and yield rows of both panels.
const QStringList kProfitLabels{"Label3_5", "Label4_5", "Label3_6", "Label4_6",
                                "Label7_7", "Label8_7", "Label7_8", "Label8_8"};

void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

void MakeExecutable(const QString& path) {
    WriteFile(path, "#!/bin/sh\n");
    QVERIFY(QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::ExeOwner));
}

// With YM_SCREENSHOT_DIR set, the window as the user sees it is saved there.
void SaveScreenshot(QWidget* window, const QString& name) {
    const QString dir = qEnvironmentVariable("YM_SCREENSHOT_DIR");
    if (!dir.isEmpty()) {
        QVERIFY(window->grab().save(QDir(dir).filePath(name)));
    }
}

QStringList ZeroRows(int count, int yieldRow) {
    QStringList rows;
    for (int i = 0; i < count; ++i) {
        rows << (i == yieldRow ? QStringLiteral("0.00 %") : QStringLiteral("0.00元"));
    }
    return rows;
}

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { InstallModalWatchdog(); }
    void cleanup() {
        if (Form7* help = Form7::Instance()) {
            help->close();
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

        QCOMPARE(s.state.CurMarket, 2);
        QCOMPARE(s.state.CurType, 1);
        QVERIFY(s.get<QRadioButton>("Option2")->isChecked());
        QVERIFY(s.get<QRadioButton>("Option3")->isChecked());
        QVERIFY(!s.get<QRadioButton>("Option1")->isChecked());
        QVERIFY(s.widget("Picture2_0")->isVisible());
        QVERIFY(!s.widget("Picture2_1")->isVisible());
        QCOMPARE(s.widget("Picture2_0")->palette().color(QPalette::Window), kAPanelColor);
        // Shenzhen A shares: B1..B6.
        QCOMPARE(s.state.rates.CommissionRate, 0.0035);
        QCOMPARE(s.state.rates.MinCommission, 5.0);
        QCOMPARE(s.state.rates.StampRate, 0.004);
        QCOMPARE(s.state.rates.TransferRate, 0.0);
        QCOMPARE(Focused(), s.widget("Text1"));
        QCOMPARE(Values(s, "Label4_", 10), ZeroRows(10, 6));
        QCOMPARE(s.label("Label3_4")->toolTip(), QStringLiteral("等于以上各项费用的总和"));
        QCOMPARE(s.label("Label7_6")->toolTip(), QStringLiteral("等于以上各项费用的总和"));
    }

    void shanghaiATrades_data() {
        QTest::addColumn<QString>("buy");
        QTest::addColumn<QString>("sell");
        QTest::addColumn<QString>("quantity");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QColor>("profitColor");
        QTest::newRow("round trip 1000")
            << "10"
            << "11"
            << "1000"
            << QStringList{"73.50元",  "84.00元", "2.00元",      "0.00元",      "159.50元",
                           "840.50元", "8.34 %",  "10,076.00元", "10,916.50元", "10.16元"}
            << kProfitColor;
        QTest::newRow("minimum commission 100")
            << "10"
            << "11"
            << "100" << QStringList{"20.00元", "8.40元", "2.00元",     "0.00元",     "30.40元",
                                    "69.60元", "6.86 %", "1,015.00元", "1,084.60元", "10.31元"}
            << kProfitColor;
        QTest::newRow("buy leg only")
            << "10"
            << ""
            << "1000" << QStringList{"35.00元", "40.00元", "1.00元",      "0.00元", "76.00元",
                                     "0.00元",  "0.00 %",  "10,076.00元", "0.00元", "10.16元"}
            << kFlatColor;
        QTest::newRow("sell price typed as 0")
            << "10"
            << "0"
            << "1000" << QStringList{"35.00元", "40.00元", "1.00元",      "0.00元",  "76.00元",
                                     "0.00元",  "0.00 %",  "10,076.00元", "-1.00元", "10.16元"}
            << kFlatColor;
        QTest::newRow("loss") << "10"
                              << "9"
                              << "1000"
                              << QStringList{"66.50元",    "76.00元",     "2.00元",   "0.00元",
                                             "144.50元",   "-1,144.50元", "-11.36 %", "10,076.00元",
                                             "8,931.50元", "10.16元"}
                              << kLossColor;
        QTest::newRow("sell leg only")
            << ""
            << "11"
            << "1000" << QStringList{"38.50元", "44.00元", "1.00元", "0.00元",      "83.50元",
                                     "0.00元",  "0.00 %",  "0.00元", "10,916.50元", "0.00元"}
            << kFlatColor;
    }

    void shanghaiATrades() {
        QFETCH(QString, buy);
        QFETCH(QString, sell);
        QFETCH(QString, quantity);
        QFETCH(QStringList, rows);
        QFETCH(QColor, profitColor);

        Session s;
        QVERIFY(s.start());
        QTest::mouseClick(s.widget("Option1"), Qt::LeftButton);
        QCOMPARE(s.state.CurMarket, 1);
        s.field("Text1")->setFocus();

        TypeAndEnter(buy);
        QCOMPARE(Focused(), s.widget("Text3"));
        TypeAndEnter(sell);
        QCOMPARE(Focused(), s.widget("Text2"));
        TypeAndEnter(quantity);
        QCOMPARE(Focused(), s.widget("Text4"));
        QVERIFY(s.widget("Shape3_0")->isVisible());
        QVERIFY(s.widget("Shape3_1")->isVisible());
        QVERIFY(!s.widget("Shape4_0")->isVisible());
        QVERIFY(!s.widget("Shape5_0")->isVisible());
        QTest::keyClick(Focused(), Qt::Key_Return);

        QCOMPARE(Values(s, "Label4_", 10), rows);
        // The hidden B-share panel is written too: same commission, stamp, fees total.
        QCOMPARE(s.label("Label8_0")->text(), rows[0]);
        QCOMPARE(s.label("Label8_1")->text(), rows[1]);
        QCOMPARE(s.label("Label8_2")->text(), QStringLiteral("0.00元"));
        QCOMPARE(s.label("Label8_6")->text(), rows[4]);
        QCOMPARE(s.label("Label8_7")->text(), rows[5]);
        QCOMPARE(s.label("Label8_11")->text(), rows[9]);
        for (const QString& name : kProfitLabels) {
            QCOMPARE(TextColor(s.label(name)), profitColor);
        }
        // Ready for the next trade.
        QLineEdit* text1 = s.field("Text1");
        QCOMPARE(Focused(), text1);
        QCOMPARE(text1->selectedText(), text1->text());
        QVERIFY(s.messages.messages.isEmpty());
        if (QTest::currentDataTag() == QLatin1String("round trip 1000")) {
            SaveScreenshot(s.form.get(), QStringLiteral("main-window-a.png"));
        }
    }

    void shenzhenBSharesCapTheSettlementFee() {
        Session s;
        QVERIFY(s.start());
        QTest::mouseClick(s.widget("Option6"), Qt::LeftButton);
        QVERIFY(s.widget("Picture2_1")->isVisible());
        QVERIFY(!s.widget("Picture2_0")->isVisible());
        s.field("Text1")->setFocus();
        TypeTrade("10", "12", "200000");

        const QStringList expected{"18,920.00元", "13,200.00元",    "1,000.00元",    "1,320.00元",
                                   "202.40元",    "0.00元",         "34,642.40元",   "365,357.60元",
                                   "18.12 %",     "2,015,792.00元", "2,381,149.60元"};
        QCOMPARE(Values(s, "Label8_", 11), expected);
        QCOMPARE(TextColor(s.label("Label8_7")), kProfitColor);
        SaveScreenshot(s.form.get(), QStringLiteral("main-window-b.png"));

        // Shanghai has no cap; the B-share panel stays, the rows start again from zero.
        QTest::mouseClick(s.widget("Option1"), Qt::LeftButton);
        QVERIFY(s.widget("Picture2_1")->isVisible());
        QCOMPARE(Values(s, "Label8_", 12), ZeroRows(12, 8));
        QTest::keyClick(s.widget("Text1"), Qt::Key_D);
        QCOMPARE(s.label("Label8_2")->text(), QStringLiteral("2,200.00元"));
    }

    void dUsesTheStoredPriceAndAClickCommitsFirst() {
        Session s;
        QVERIFY(s.start());
        QTest::mouseClick(s.widget("Option1"), Qt::LeftButton);
        s.field("Text1")->setFocus();
        TypeTrade("10", "11", "1000");
        QCOMPARE(s.label("Label4_0")->text(), QStringLiteral("73.50元"));

        // "20" replaces the selected "10" but is not committed yet.
        QTest::keyClicks(s.field("Text1"), "20");
        QCOMPARE(s.field("Text1")->text(), QStringLiteral("20"));
        QTest::keyClick(s.field("Text1"), Qt::Key_D);
        QCOMPARE(s.field("Text1")->text(), QStringLiteral("20"));
        QCOMPARE(s.label("Label4_0")->text(), QStringLiteral("73.50元"));
        QCOMPARE(s.state.BuyPrice, 10.0);

        // The click takes the focus from the field, which commits 20, then calculates:
        // 70.00 + 38.50 commission.
        QTest::mouseClick(s.widget("Text4"), Qt::LeftButton);
        QCOMPARE(s.state.BuyPrice, 20.0);
        QCOMPARE(s.label("Label4_0")->text(), QStringLiteral("108.50元"));
        QCOMPARE(TextColor(s.label("Label4_5")), kLossColor);
    }

    void keystrokeFilters_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("before");
        QTest::addColumn<int>("selStart");
        QTest::addColumn<int>("selLength"); // 0: the caret at selStart
        QTest::addColumn<QString>("keys");  // "\b" is Backspace
        QTest::addColumn<QString>("after");
        QTest::newRow("point first") << "Text1"
                                     << "" << 0 << 0 << "."
                                     << "";
        QTest::newRow("point at the caret start") << "Text1"
                                                  << "12" << 0 << 0 << "."
                                                  << "12";
        QTest::newRow("point over a selection from 0") << "Text3"
                                                       << "12" << 0 << 2 << "."
                                                       << "12";
        QTest::newRow("second point") << "Text1"
                                      << "" << 0 << 0 << "12.5."
                                      << "12.5";
        QTest::newRow("second point, sell") << "Text3"
                                            << "" << 0 << 0 << "1.2.3"
                                            << "1.23";
        QTest::newRow("point replaces a selection with a point") << "Text1"
                                                                 << "12.5" << 1 << 3 << "."
                                                                 << "1.";
        QTest::newRow("point over a selection without one") << "Text1"
                                                            << "12.5" << 1 << 1 << "."
                                                            << "12.5";
        QTest::newRow("letters, minus, blank") << "Text1"
                                               << "" << 0 << 0 << "1a2-3 4+"
                                               << "1234";
        QTest::newRow("quantity refuses the point") << "Text2"
                                                    << "" << 0 << 0 << "1.5"
                                                    << "15";
        QTest::newRow("quantity letters") << "Text2"
                                          << "" << 0 << 0 << "1e3,0"
                                          << "130";
        QTest::newRow("price length") << "Text1"
                                      << "" << 0 << 0 << "123456789"
                                      << "1234567";
        QTest::newRow("quantity length") << "Text2"
                                         << "" << 0 << 0 << "12345678901"
                                         << "123456789";
        QTest::newRow("backspace") << "Text1"
                                   << "12.5" << 4 << 0 << "\b\b7"
                                   << "127";
        QTest::newRow("typing replaces a selection") << "Text2"
                                                     << "500" << 0 << 3 << "7"
                                                     << "7";
    }

    void keystrokeFilters() {
        QFETCH(QString, field);
        QFETCH(QString, before);
        QFETCH(int, selStart);
        QFETCH(int, selLength);
        QFETCH(QString, keys);
        QFETCH(QString, after);

        Session s;
        QVERIFY(s.start());
        QLineEdit* edit = s.field(field);
        edit->setFocus();
        edit->setText(before);
        if (selLength > 0) {
            edit->setSelection(selStart, selLength);
        } else {
            edit->setCursorPosition(selStart);
        }
        for (const QChar ch : keys) {
            if (ch == QLatin1Char('\b')) {
                QTest::keyClick(edit, Qt::Key_Backspace);
            } else {
                QTest::keyClicks(edit, QString(ch));
            }
        }
        QCOMPARE(edit->text(), after);
        QVERIFY(s.messages.messages.isEmpty());
    }

    void pasteIsFiltered_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("clipboard");
        QTest::addColumn<QString>("after");
        QTest::newRow("price") << "Text1"
                               << "1x.5.9"
                               << "1.59";
        QTest::newRow("price starting with a point") << "Text3"
                                                     << ".25"
                                                     << "25";
        QTest::newRow("quantity") << "Text2"
                                  << "12.5 shares"
                                  << "125";
        QTest::newRow("line break does not commit") << "Text1"
                                                    << "12\r\n3"
                                                    << "123";
    }

    void pasteIsFiltered() {
        QFETCH(QString, field);
        QFETCH(QString, clipboard);
        QFETCH(QString, after);

        Session s;
        QVERIFY(s.start());
        QLineEdit* edit = s.field(field);
        edit->setFocus();
        QGuiApplication::clipboard()->setText(clipboard);
        QTest::keySequence(edit, QKeySequence::Paste);
        QCOMPARE(edit->text(), after);
        QCOMPARE(Focused(), edit);
        QCOMPARE(s.state.BuyPrice, 0.0);
    }

    void commits_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<double>("stored");
        QTest::addColumn<QString>("next");
        QTest::newRow("two decimals") << "Text1"
                                      << "12.5"
                                      << "12.50" << 12.5 << "Text3";
        QTest::newRow("three decimals stay") << "Text1"
                                             << "0.125"
                                             << "0.125" << 0.125 << "Text3";
        // Shown with four decimals and, once the focus has left, stored as shown.
        QTest::newRow("five decimals") << "Text1"
                                       << "1.23456"
                                       << "1.2346" << 1.2346 << "Text3";
        QTest::newRow("whole") << "Text1"
                               << "12"
                               << "12" << 12.0 << "Text3";
        QTest::newRow("trailing point") << "Text1"
                                        << "12."
                                        << "12." << 12.0 << "Text3";
        QTest::newRow("empty buy") << "Text1"
                                   << ""
                                   << "" << 0.0 << "Text3";
        QTest::newRow("highest buy") << "Text1"
                                     << "999999"
                                     << "999999" << 999999.0 << "Text3";
        QTest::newRow("sell has no limit") << "Text3"
                                           << "1234567"
                                           << "1234567" << 1234567.0 << "Text2";
        QTest::newRow("sell decimals") << "Text3"
                                       << "9.9"
                                       << "9.90" << 9.9 << "Text2";
        QTest::newRow("quantity zeros") << "Text2"
                                        << "007"
                                        << "7" << 7.0 << "Text4";
        QTest::newRow("empty quantity") << "Text2"
                                        << ""
                                        << "" << 0.0 << "Text4";
    }

    void commits() {
        QFETCH(QString, field);
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QFETCH(double, stored);
        QFETCH(QString, next);

        Session s;
        QVERIFY(s.start());
        // A value from before, so that an empty field visibly stores 0.
        s.state.BuyPrice = s.state.SellPrice = s.state.Quantity = 3;
        s.field(field)->setFocus();
        TypeAndEnter(typed);
        QCOMPARE(s.field(field)->text(), shown);
        QCOMPARE(Focused(), s.widget(next));
        const double value = field == "Text1"   ? s.state.BuyPrice
                             : field == "Text3" ? s.state.SellPrice
                                                : s.state.Quantity;
        QCOMPARE(value, stored);
        QVERIFY(s.messages.messages.isEmpty());
    }

    void refusedBuyPriceOnEnter() {
        Session s;
        QVERIFY(s.start());
        s.field("Text1")->setFocus();
        TypeAndEnter("10");
        s.field("Text1")->setFocus();
        s.field("Text1")->selectAll();
        TypeAndEnter("1234567");

        QCOMPARE(s.messages.messages.size(), 1);
        const RecordedMessage& m = s.messages.messages.front();
        QCOMPARE(m.title, QStringLiteral("交易小算盘Yuanmate V5.5"));
        QCOMPARE(m.text, QStringLiteral("输入的值不能大于等于1000000,请重新输入!"));
        QCOMPARE(m.buttons, MessageButtons::Ok);
        QCOMPARE(s.field("Text1")->text(), QString());
        QCOMPARE(Focused(), s.widget("Text1"));
        QCOMPARE(s.state.BuyPrice, 10.0);

        // The emptied field commits as 0 on the next Enter.
        QTest::keyClick(Focused(), Qt::Key_Return);
        QCOMPARE(s.state.BuyPrice, 0.0);
        QCOMPARE(s.messages.messages.size(), 1);
    }

    void refusedBuyPriceOnLeavingTheField() {
        Session s;
        QVERIFY(s.start());
        s.field("Text1")->setFocus();
        TypeAndEnter("10");
        s.field("Text1")->setFocus();
        s.field("Text1")->selectAll();
        QTest::keyClicks(s.field("Text1"), "1234567");
        QTest::mouseClick(s.widget("Text3"), Qt::LeftButton);

        QCOMPARE(s.messages.messages.size(), 1);
        QCOMPARE(s.field("Text1")->text(), QString());
        QCOMPARE(s.state.BuyPrice, 10.0);
        QCOMPARE(Focused(), s.widget("Text3"));
    }

    void selectorsResetAndSwitch_data() {
        QTest::addColumn<QStringList>("clicks");
        QTest::addColumn<int>("market");
        QTest::addColumn<int>("type");
        QTest::addColumn<bool>("bPanel");
        QTest::addColumn<double>("commissionRate");
        QTest::addColumn<double>("minCommission");
        QTest::newRow("B shares") << QStringList{"Option6"} << 2 << 5 << true << 0.0043 << 0.0;
        QTest::newRow("bonds") << QStringList{"Option4"} << 2 << 2 << false << 0.002 << 5.0;
        QTest::newRow("funds") << QStringList{"Option5"} << 2 << 3 << false << 0.003 << 5.0;
        QTest::newRow("investment funds")
            << QStringList{"Option7"} << 2 << 4 << false << 0.0025 << 5.0;
        QTest::newRow("Shanghai") << QStringList{"Option1"} << 1 << 1 << false << 0.0035 << 10.0;
        QTest::newRow("Shanghai funds")
            << QStringList{"Option1", "Option5"} << 1 << 3 << false << 0.0035 << 10.0;
        QTest::newRow("B shares then Shanghai")
            << QStringList{"Option6", "Option1"} << 1 << 5 << true << 0.0043 << 0.0;
        QTest::newRow("B shares and back")
            << QStringList{"Option6", "Option3"} << 2 << 1 << false << 0.0035 << 5.0;
    }

    void selectorsResetAndSwitch() {
        QFETCH(QStringList, clicks);
        QFETCH(int, market);
        QFETCH(int, type);
        QFETCH(bool, bPanel);
        QFETCH(double, commissionRate);
        QFETCH(double, minCommission);

        Session s;
        QVERIFY(s.start());
        s.field("Text1")->setFocus();
        TypeTrade("10", "11", "1000");
        QCOMPARE(TextColor(s.label("Label4_5")), kProfitColor);
        // Not committed: the selector reads it again.
        s.field("Text3")->setText("12");

        for (const QString& name : clicks) {
            QTest::mouseClick(s.widget(name), Qt::LeftButton);
        }
        QCOMPARE(int(s.state.CurMarket), market);
        QCOMPARE(int(s.state.CurType), type);
        QCOMPARE(s.widget("Picture2_1")->isVisible(), bPanel);
        QCOMPARE(s.widget("Picture2_0")->isVisible(), !bPanel);
        QCOMPARE(s.state.rates.CommissionRate, commissionRate);
        QCOMPARE(s.state.rates.MinCommission, minCommission);
        QCOMPARE(Values(s, "Label4_", 10), ZeroRows(10, 6));
        QCOMPARE(Values(s, "Label8_", 12), ZeroRows(12, 8));
        for (const QString& name : kProfitLabels) {
            QCOMPARE(TextColor(s.label(name)), kFlatColor);
        }
        QCOMPARE(s.field("Text1")->text(), QStringLiteral("10"));
        QCOMPARE(s.state.BuyPrice, 10.0);
        QCOMPARE(s.state.SellPrice, 12.0);
        QCOMPARE(s.state.Quantity, 1000.0);
    }

    void clearEmptiesEverything() {
        Session s;
        QVERIFY(s.start());
        s.field("Text1")->setFocus();
        TypeTrade("10", "11", "1000");
        s.field("Text2")->setFocus();
        QTest::keyClick(Focused(), Qt::Key_C);

        for (const char* name : {"Text1", "Text2", "Text3"}) {
            QCOMPARE(s.field(name)->text(), QString());
        }
        QCOMPARE(s.state.BuyPrice, 0.0);
        QCOMPARE(s.state.SellPrice, 0.0);
        QCOMPARE(s.state.Quantity, 0.0);
        QCOMPARE(Focused(), s.widget("Text1"));
        QCOMPARE(Values(s, "Label4_", 10), ZeroRows(10, 6));
        QCOMPARE(TextColor(s.label("Label3_5")), kFlatColor);
        QCOMPARE(int(s.state.CurMarket), 2);

        QTest::keyClick(Focused(), Qt::Key_D);
        QCOMPARE(Values(s, "Label4_", 10), ZeroRows(10, 6));
    }

    void activationAfterTheHelpViewerRestoresTheBPanel() {
        Session s;
        QByteArray bytes = QByteArray::fromStdString(ym::DefaultSettingsBytes());
        QVERIFY(bytes.contains("Select1=2\r\nSelect2=1"));
        bytes.replace("Select1=2\r\nSelect2=1", "Select1=1\r\nSelect2=5");
        WriteFile(s.dir.filePath(kSettingsFile), bytes);
        QVERIFY(s.start());
        QVERIFY(s.get<QRadioButton>("Option6")->isChecked());
        QVERIFY(s.get<QRadioButton>("Option1")->isChecked());
        QVERIFY(s.widget("Picture2_1")->isVisible());

        s.form->ApplyDisplayScheme();
        QVERIFY(s.widget("Picture2_0")->isVisible());
        QVERIFY(!s.widget("Picture2_1")->isVisible());

        // Restoring the window alone is no activation: the A-share panel stays.
        s.form->showMinimized();
        s.form->showNormal();
        s.form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(s.form.get()));
        QVERIFY(s.widget("Picture2_0")->isVisible());

        QTest::keyClick(Focused(), Qt::Key_F1);
        Form7* help = Form7::Instance();
        QVERIFY(help != nullptr);
        QVERIFY(QTest::qWaitForWindowActive(help));
        help->close();
        s.form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(s.form.get()));
        QVERIFY(s.widget("Picture2_1")->isVisible());
        QVERIFY(!s.widget("Picture2_0")->isVisible());
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
    }

    void endingTheProgram() {
        QFETCH(QString, how);
        QFETCH(bool, saves);

        Session s;
        QVERIFY(s.start());
        QTest::mouseClick(s.widget("Option1"), Qt::LeftButton);
        QTest::mouseClick(s.widget("Option6"), Qt::LeftButton);
        const QByteArray before = s.fileBytes();
        QSignalSpy ended(s.form.get(), &Form1::programEnded);

        if (how == "key") {
            QTest::keyClick(s.widget("Text1"), Qt::Key_X);
        } else if (how == "lower") {
            QTest::keyClicks(s.widget("Text2"), "x");
        } else if (how == "close") {
            s.form->close();
        } else {
            QTest::mouseClick(s.widget(how), Qt::LeftButton);
        }
        QCOMPARE(ended.size(), 1);
        QCOMPARE(ended.front().front().toInt(), 0);
        QVERIFY(s.messages.messages.isEmpty());
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

    void unwritableFileAtExit() {
        Session s;
        QVERIFY(s.start());
        const QString path = s.dir.filePath(kSettingsFile);
        QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup |
                                                QFileDevice::ReadOther));
        const QByteArray before = s.fileBytes();
        QSignalSpy ended(s.form.get(), &Form1::programEnded);
        QTest::keyClick(s.widget("Text1"), Qt::Key_X);

        QCOMPARE(s.messages.messages.size(), 1);
        QCOMPARE(s.messages.messages.front().title, QStringLiteral("警告"));
        QCOMPARE(s.messages.messages.front().text, QStringLiteral("  ## Error save select!6004"));
        QCOMPARE(ended.size(), 1);
        QCOMPARE(s.fileBytes(), before);
    }

    void damagedSettingsFileEndsTheStart_data() {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<QString>("message");
        // A folder in the file's place cannot be created over.
        QTest::newRow("folder") << "folder"
                                << "  ## Error creat shanghai!6002-1";
        // A file nobody may read fails at the first read, Select1.
        QTest::newRow("no read permission") << "mode 000"
                                            << "  ## Error read select1!6003-3";
    }

    void damagedSettingsFileEndsTheStart() {
        QFETCH(QString, damage);
        QFETCH(QString, message);

        Session s;
        const QString path = s.dir.filePath(kSettingsFile);
        const QByteArray bytes = QByteArray::fromStdString(ym::DefaultSettingsBytes());
        if (damage == "folder") {
            QVERIFY(QDir(s.dir.path()).mkdir(kSettingsFile));
        } else {
            WriteFile(path, bytes);
            QVERIFY(QFile::setPermissions(path, QFileDevice::Permissions()));
        }
        QVERIFY(!s.load());
        QCOMPARE(s.messages.messages.size(), 1);
        QCOMPARE(s.messages.messages.front().title, QStringLiteral("警告"));
        QCOMPARE(s.messages.messages.front().text, message);
        QCOMPARE(s.messages.messages.front().buttons, MessageButtons::Ok);
        QVERIFY(!s.form->isVisible());
        // Nothing is written on the way out.
        if (damage == "folder") {
            QVERIFY(QFileInfo(path).isDir());
        } else {
            QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner));
            QCOMPARE(s.fileBytes(), bytes);
        }
    }

    void launching_data() {
        QTest::addColumn<QString>("how");       // a key or a tool button
        QTest::addColumn<QString>("companion"); // file put in the working folder
        QTest::addColumn<QStringList>("available");
        QTest::addColumn<bool>("startSucceeds");
        QTest::addColumn<QString>("started"); // file name of what was started
        QTest::addColumn<QString>("notice");
        const QStringList none;
        QTest::newRow("F2 companion") << "F2"
                                      << "quick_sum.exe" << none << true << "quick_sum.exe"
                                      << "";
        QTest::newRow("button 0 companion") << "Command6_0"
                                            << "quick_sum.exe" << none << true << "Quick_sum.exe"
                                            << "";
        QTest::newRow("F3 companion") << "F3"
                                      << "Tradelog_pad.exe" << none << true << "Tradelog_pad.exe"
                                      << "";
        QTest::newRow("button 1 companion")
            << "Command6_1"
            << "Tradelog_pad.exe" << none << true << "Tradelog_pad.exe"
            << "";
        QTest::newRow("F2 desktop")
            << "F2"
            << "" << QStringList{"gnome-calculator"} << true << "gnome-calculator"
            << "";
        QTest::newRow("F2 second desktop") << "F2"
                                           << "" << QStringList{"xcalc", "kcalc"} << true << "kcalc"
                                           << "";
        QTest::newRow("F3 desktop") << "F3"
                                    << "" << QStringList{"gedit"} << true << "gedit"
                                    << "";
        QTest::newRow("notebook companion absent")
            << "F3"
            << "quick_sum.exe" << QStringList{"mousepad"} << true << "mousepad"
            << "";
        QTest::newRow("no calculator") << "F2"
                                       << "" << none << true << ""
                                       << "未找到可用的计算器程序";
        QTest::newRow("no editor") << "Command6_1"
                                   << "" << none << true << ""
                                   << "未找到可用的记事本程序";
        QTest::newRow("start fails")
            << "F2"
            << "" << QStringList{"gnome-calculator"} << false << "gnome-calculator"
            << "无法启动计算器程序: gnome-calculator";
    }

    void launching() {
        QFETCH(QString, how);
        QFETCH(QString, companion);
        QFETCH(QStringList, available);
        QFETCH(bool, startSucceeds);
        QFETCH(QString, started);
        QFETCH(QString, notice);

        Session s;
        QVERIFY(s.start());
        if (!companion.isEmpty()) {
            MakeExecutable(s.dir.filePath(companion));
        }
        s.launcher.availablePrograms = available;
        s.launcher.startSucceeds = startSucceeds;
        QSignalSpy ended(s.form.get(), &Form1::programEnded);

        if (how == "F2") {
            QTest::keyClick(s.widget("Text1"), Qt::Key_F2);
        } else if (how == "F3") {
            QTest::keyClick(s.widget("Text1"), Qt::Key_F3);
        } else {
            QTest::mouseClick(s.widget(how), Qt::LeftButton);
        }

        if (started.isEmpty()) {
            QVERIFY(s.launcher.starts.isEmpty());
        } else {
            QCOMPARE(s.launcher.starts.size(), 1);
            const RecordedStart& start = s.launcher.starts.front();
            QCOMPARE(QFileInfo(start.program).fileName(), started);
            if (!companion.isEmpty() && started.compare(companion, Qt::CaseInsensitive) == 0) {
                QCOMPARE(QFileInfo(start.program).absolutePath(),
                         QDir(s.dir.path()).absolutePath());
            }
            QCOMPARE(QDir(start.workingDirectory).absolutePath(),
                     QDir(s.dir.path()).absolutePath());
        }
        if (notice.isEmpty()) {
            QVERIFY(s.messages.messages.isEmpty());
        } else {
            QCOMPARE(s.messages.messages.size(), 1);
            QCOMPARE(s.messages.messages.front().title, QStringLiteral("提示"));
            QCOMPARE(s.messages.messages.front().text, notice);
        }
        QCOMPARE(ended.size(), 0);
        QVERIFY(s.form->isVisible());
    }

    void keyPreview_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<bool>("reachesField");
        QTest::newRow("F1") << int(Qt::Key_F1) << 0 << false;
        QTest::newRow("F2") << int(Qt::Key_F2) << 0 << false;
        QTest::newRow("F3") << int(Qt::Key_F3) << 0 << false;
        QTest::newRow("F4") << int(Qt::Key_F4) << 0 << false;
        QTest::newRow("F5") << int(Qt::Key_F5) << 0 << false;
        QTest::newRow("F6") << int(Qt::Key_F6) << 0 << true;
        QTest::newRow("Escape") << int(Qt::Key_Escape) << 0 << true;
        QTest::newRow("C") << int(Qt::Key_C) << 0 << false;
        QTest::newRow("shift C") << int(Qt::Key_C) << int(Qt::ShiftModifier) << false;
        QTest::newRow("D") << int(Qt::Key_D) << 0 << false;
        QTest::newRow("ctrl D") << int(Qt::Key_D) << int(Qt::ControlModifier) << false;
        QTest::newRow("alt D") << int(Qt::Key_D) << int(Qt::AltModifier) << false;
        QTest::newRow("A") << int(Qt::Key_A) << 0 << true;
        QTest::newRow("digit") << int(Qt::Key_5) << 0 << true;
    }

    void keyPreview() {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(bool, reachesField);

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
        QTest::keyClick(text2, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        text2->removeEventFilter(&recorder);
        QCOMPARE(recorder.keys.contains(key), reachesField);
    }

    void escapeChangesNothing() {
        Session s;
        QVERIFY(s.start());
        s.field("Text1")->setFocus();
        TypeTrade("10", "11", "1000");
        const QStringList before = Values(s, "Label4_", 10);
        QSignalSpy ended(s.form.get(), &Form1::programEnded);
        QTest::keyClick(Focused(), Qt::Key_Escape);
        QCOMPARE(Values(s, "Label4_", 10), before);
        QCOMPARE(s.field("Text1")->text(), QStringLiteral("10"));
        QCOMPARE(ended.size(), 0);
        QVERIFY(s.messages.messages.isEmpty());
    }

    void secondCopyEndsAtOnce() {
        const QString program =
            QDir(QCoreApplication::applicationDirPath()).filePath("../../app/yuanmate");
        QVERIFY2(QFileInfo(program).isExecutable(), qPrintable(program));
        QTemporaryDir runtime;
        QTemporaryDir firstDir;
        QTemporaryDir secondDir;
        QVERIFY(runtime.isValid() && firstDir.isValid() && secondDir.isValid());
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_RUNTIME_DIR", runtime.path());
        env.insert("QT_QPA_PLATFORM", "offscreen");

        QProcess first;
        first.setProcessEnvironment(env);
        first.setWorkingDirectory(firstDir.path());
        first.start(program, {});
        QVERIFY(first.waitForStarted());
        // Running once its settings file is there.
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(firstDir.filePath(kSettingsFile)), 10000);

        QProcess second;
        second.setProcessEnvironment(env);
        second.setWorkingDirectory(secondDir.path());
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
