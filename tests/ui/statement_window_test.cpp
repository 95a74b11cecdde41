// The statement window as a user drives it from the main window: an export opened through
// the file dialog and its report checked against figures added up by hand from the file's
// lines; files that cannot be read; the differing lines sorted by value and copied.
#include "ui/common/data_table.h"
#include "ui/common/file_chooser.h"
#include "ui/statement/statement_window.h"
#include "ui_test_support.h"

using namespace ym::ui;

namespace {

const QString kData = QStringLiteral(YM_TEST_DATA "/statements/");

// Answers the file dialog with `answer`, recording that it was asked.
class RecordingFiles : public FileChooser {
public:
    RecordingFiles() : m_previous(SetFileChooser(this)) {}
    ~RecordingFiles() override { SetFileChooser(m_previous); }
    QStringList openFiles(QWidget*, const QString&, const QString&) override {
        ++asked;
        return answer;
    }
    QStringList answer;
    int asked = 0;

private:
    FileChooser* m_previous = nullptr;
};

// Three lines of the trades of tdx_gbk.xls again, each with one fee off: stamp duty on both
// buys and the sell's transfer fee 0.75 where 24680 × 0.00001 makes 0.25. The other fees are
// the exchanges' handling fee (0.0341‰) and regulatory fee (0.02‰), each rounded to the fen:
// 0.36 + 0.21, 0.84 + 0.49, 0.19 + 0.11.
const QByteArray kDiffering =
    "成交日期,证券代码,证券名称,操作,成交数量,成交均价,成交金额,佣金,"
    "印花税,过户费,其他费\r\n"
    "2026-01-12,600000,浦发银行,买入,1000,10.5,10500,5,10.50,0.11,0.57\r\n"
    "2026-01-13,878,云南铜业,卖出,-2000,12.34,24680,6.17,12.34,0.75,1.33\r\n"
    "2026-01-14,000001,平安银行,买入,500,11,5500,5,5.50,0.06,0.30\r\n";

struct UnreadableCase {
    const char *name, *file;
    QByteArray bytes; // written unless empty: then the file does not exist
};

} // namespace

Q_DECLARE_METATYPE(UnreadableCase)

class StatementWindowTest : public SessionTest {
    Q_OBJECT

    RecordingFiles files;
    QPointer<StatementWindow> w;

    bool begin() override {
        if (!s->start()) {
            return false;
        }
        // Exports of 2026 are checked against the official rules of their dates.
        s->state.feeModel.model = ym::FeeModel::Official;
        QTest::keyClick(s->get("Text1"), Qt::Key_F8);
        w = qobject_cast<StatementWindow*>(Window("Form9"));
        return w != nullptr && QTest::qWaitForWindowActive(w);
    }
    // The file dialog answered with `paths`, then the open button field clicked.
    void open(const QStringList& paths) {
        files.answer = paths;
        QTest::mouseClick(Child(w, "OpenField"), Qt::LeftButton);
    }
    DataTable* table(const char* name) const { return Child<DataTable>(w, name); }
    static QStringList row(const DataTable* t, int r) {
        QStringList cells;
        for (int c = 0; c < t->columnCount(); ++c) {
            cells << t->item(r, c)->text();
        }
        return cells;
    }
    QString label(const char* name) const { return Child<QLabel>(w, name)->text(); }

private slots:
    // tdx_gbk.xls: 10500 bought at the 5-yuan minimum (10500 × 0.00025 = 2.625), 24680 sold
    // for 6.17 = 24680 × 0.00025, 5500 bought at the minimum.
    void opensAnExportAndShowsItsReport() {
        QVERIFY(s->form->isMinimized());
        const int asked = files.asked;
        open({kData + "tdx_gbk.xls"});
        QCOMPARE(files.asked, asked + 1);
        QVERIFY(s->shown().isEmpty());
        const QString terms = label("TermsText");
        for (const char* word : {"2026-01-05 至 2026-01-06", "万2.5", "最低 5.00 元", "不含规费",
                                 "3 笔成交中 3 笔相符"}) {
            QVERIFY2(terms.contains(QString::fromUtf8(word)), qPrintable(terms));
        }
        // Turnover 10500 + 24680 + 5500; commission 5 + 6.17 + 5; stamp duty on the sell
        // only; transfer 0.11 + 0.25 + 0.06; other 0.57 + 1.34 + 0.30; 31.14 / 40680 in ‱.
        const QStringList year = Words("2026 3 40680.00 16.17 12.34 0.42 2.21 31.14 7.65");
        QCOMPARE(row(table("YearTable"), 0), year);
        QCOMPARE(row(table("YearTable"), 1).mid(1), year.mid(1)); // 合计
        QCOMPARE(table("DifferingTable")->rowCount(), 0);
        QVERIFY(label("FilesLabel").startsWith(QStringLiteral("tdx_gbk.xls：3 笔成交")));

        // Another broker's 万1 without a minimum: 1.05 + 2.47 + 0.55 commission, stamp duty
        // and transfer fees as charged, the other fees as the exchanges charge them (0.57 +
        // 1.33 + 0.30: the export's 1.34 is within a fen): 19.03 in all.
        Type("[WhatIfRate]{Ctrl+A}1[WhatIfNoMinimum][WhatIfField]", w);
        QVERIFY2(label("SavingText").contains(QStringLiteral("换后 19.03 元，节省 12.11 元")),
                 qPrintable(label("SavingText")));
        // 万40 is beyond the legal cap of 3‰: told, and the saving stays.
        Type("[WhatIfRate]{Ctrl+A}40\r", w);
        QCOMPARE(s->shown(),
                 QStringList{QStringLiteral("警告: 佣金率应在 0 到法定上限 0.003 之间")});
        QVERIFY(label("SavingText").contains(QStringLiteral("节省 12.11 元")));
    }

    // Files dropped on the window are opened as those chosen in the dialog.
    void opensDroppedFiles() {
        const int asked = files.asked;
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(kData + "ths_utf8.csv")});
        QDragEnterEvent enter(QPoint(50, 300), Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(w, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(50, 300), Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(w, &drop);
        QCOMPARE(w->files(), QStringList{kData + "ths_utf8.csv"});
        QCOMPARE(files.asked, asked); // no dialog
        QCOMPARE(w->report().trades, 3u);
    }

    void differingLinesSortAndCopy() {
        QVERIFY(WriteTestFile(s->dir.filePath("differs.csv"), kDiffering));
        open({kData + "tdx_gbk.xls", s->dir.filePath("differs.csv")});
        QVERIFY(s->shown().isEmpty());
        QCOMPARE(label("DifferingCaption"),
                 QStringLiteral("与官方规则不符的行：3 行，差额合计 16.50 元"));
        DataTable* t = table("DifferingTable");
        QCOMPARE(t->rowCount(), 3);

        // By the difference, as numbers: 0.50 < 5.50 < 10.50 (as text "10.50" would come
        // second), and back.
        t->horizontalHeader()->setSortIndicatorShown(true);
        QTest::mouseClick(t->horizontalHeader()->viewport(), Qt::LeftButton, {},
                          QPoint(t->horizontalHeader()->sectionViewportPosition(8) + 5, 5));
        QStringList differences;
        for (int r = 0; r < 3; ++r) {
            differences << t->item(r, 8)->text();
        }
        const bool ascending = t->horizontalHeader()->sortIndicatorOrder() == Qt::AscendingOrder;
        QCOMPARE(differences, ascending ? Words("0.50 5.50 10.50") : Words("10.50 5.50 0.50"));
        if (!ascending) {
            t->sortItems(8, Qt::AscendingOrder);
        }

        // The first and the last row shown, copied as a spreadsheet takes them.
        t->setFocus();
        t->selectRow(0);
        t->selectionModel()->select(t->model()->index(2, 0),
                                    QItemSelectionModel::Select | QItemSelectionModel::Rows);
        QApplication::clipboard()->clear();
        QTest::keyClick(t, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(
            QApplication::clipboard()->text(),
            QStringLiteral("differs.csv\t3\t2026-01-13\t000878\t卖\t过户费\t0.75\t0.25\t0.50\t"
                           "过户费与当日官方标准不符\n"
                           "differs.csv\t2\t2026-01-12\t600000\t买\t印花税\t10.50\t0.00\t10.50\t"
                           "买入收了印花税\n"));
    }

    void unreadableFileChangesNothing_data() {
        const UnreadableCase cases[] = {
            {"workbook", "book.xlsx", QByteArray("PK\x03\x04\x14\x00\x06\x00", 8)},
            {"no such file", "gone.csv", QByteArray()},
            {"no header", "notes.txt", "这不是对账单\r\n只是几行字\r\n"},
        };
        AddCaseRows(cases);
    }
    void unreadableFileChangesNothing() {
        QFETCH(UnreadableCase, c);
        open({kData + "tdx_gbk.xls"});
        const QString terms = label("TermsText");
        const QStringList year = row(table("YearTable"), 0);
        const QString path = s->dir.filePath(QString::fromUtf8(c.file));
        if (!c.bytes.isEmpty()) {
            QVERIFY(WriteTestFile(path, c.bytes));
        }
        // Alone, and with a file that can be read: either way nothing of it is taken.
        open({path});
        open({kData + "ths_utf8.csv", path});
        QCOMPARE(s->shown().size(), 2);
        for (const QString& message : s->shown()) {
            QVERIFY2(message.startsWith(QStringLiteral("警告: ")) && message.contains(path),
                     qPrintable(message));
        }
        QCOMPARE(w->files(), QStringList{kData + "tdx_gbk.xls"});
        QCOMPARE(label("TermsText"), terms);
        QCOMPARE(row(table("YearTable"), 0), year);
    }

    // F1 opens the help at the window's section; the exit button field gives the main window
    // back, and its tool button opens the window again.
    void helpAndExit() {
        QTest::keyClick(w, Qt::Key_F1);
        HelpWindow* help = HelpWindow::Instance();
        QVERIFY(help != nullptr && help->isVisible());
        help->close();
        QVERIFY(QTest::qWaitForWindowActive(w));
        QTest::mouseClick(Child(w, "ExitField"), Qt::LeftButton);
        QTRY_VERIFY(w.isNull() || !w->isVisible());
        QVERIFY(s->back());
        QVERIFY(!s->form->isMinimized());
        // The tool button opens it again.
        s->click("Command6_6");
        QVERIFY(Window("Form9") != nullptr && s->form->isMinimized());
    }
};

QTEST_MAIN(StatementWindowTest)
#include "statement_window_test.moc"
