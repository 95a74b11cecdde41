#include "ui/statement/statement_window.h"

#include "core/number_text.h"
#include "ui/common/button_field.h"
#include "ui/common/colors.h"
#include "ui/common/data_table.h"
#include "ui/common/entry_field.h"
#include "ui/common/file_chooser.h"
#include "ui/common/key_preview.h"
#include "ui/common/message_box.h"
#include "ui/common/text.h"
#include "ui/help/help_window.h"
#include "ui/statement/fee_chart.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>

namespace ym::ui {

namespace st = ym::statement;

namespace {

const QString kFileFilter = QStringLiteral("交割单 (*.txt *.csv *.xls *.tsv);;所有文件 (*)");

QString Fen(double value) {
    return FromUtf8(FormatMask(RoundToCents(value), "0.00"));
}

QString DateText(const Date& date) {
    return FromUtf8(FormatDate(date));
}

QString MinimumText(const BrokerTerms& terms) {
    return terms.minimumWaived ? QStringLiteral("免五")
                               : QStringLiteral("最低 %1 元").arg(Fen(terms.minimumYuan));
}

QString IncludesText(std::optional<bool> includes) {
    return includes ? (*includes ? QStringLiteral("含规费") : QStringLiteral("不含规费"))
                    : QStringLiteral("规费看不出");
}

QString TransferText(st::TransferShown shown) {
    static constexpr std::array<const char*, 4> kTexts{"过户费看不出", "过户费单列",
                                                       "过户费并入其他费用", "过户费并入佣金"};
    return QString::fromUtf8(kTexts[static_cast<std::size_t>(shown)]);
}

DataTable::Cell Number(double value, const QString& text) {
    return {text, value};
}
DataTable::Cell Money(double value) {
    return Number(value, Fen(value));
}

QList<DataTable::Cell> TotalsRow(const QString& label, const st::FeeTotals& t) {
    return {{label, {}},
            Number(static_cast<double>(t.trades), QString::number(t.trades)),
            Money(t.turnover),
            Money(t.commission),
            Money(t.stamp),
            Money(t.transfer),
            Money(t.other),
            Money(t.fees),
            Number(t.PerTenThousand(), FromUtf8(FormatMask(t.PerTenThousand(), "0.00")))};
}

} // namespace

StatementWindow::StatementWindow(const ProgramState& state, QWidget* owner)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint), m_state(state) {
    setWindowTitle(QStringLiteral("对账单核对"));
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_QuitOnClose, false);
    setAcceptDrops(true);
    buildControls();
    connectControls();
    fillWhatIf(m_state.feeModel.terms);
    showReport();

    m_keyPreview = new KeyPreview(this, [this](int key) { return handleKey(key); });
    m_keyPreview->setEnabled(true);
    if (owner != nullptr) {
        move(owner->geometry().center() - QPoint(width() / 2, height() / 2));
    }
    m_openField->setFocus();
}

StatementWindow::~StatementWindow() {
    delete m_keyPreview;
}

bool StatementWindow::handleKey(int key) {
    if (key == Qt::Key_F1) {
        HelpWindow::ShowHelp(this, HelpTopic::Statements);
        return true;
    }
    return false;
}

void StatementWindow::chooseFiles() {
    const QStringList paths =
        Files().openFiles(this, QStringLiteral("打开交割单（可多选）"), kFileFilter);
    if (!paths.isEmpty()) {
        openFiles(paths);
    }
}

bool StatementWindow::openFiles(const QStringList& paths) {
    const st::ReviewOptions options = reviewOptions();
    if (options.whatIfRate) {
        if (const auto problem = CommissionRateProblem(*options.whatIfRate)) {
            ShowWarning(this, FromUtf8(*problem));
            m_whatIfRate->setFocus();
            m_whatIfRate->selectAll();
            return false;
        }
    }
    std::vector<std::string> files;
    for (const QString& path : paths) {
        files.push_back(ToUtf8(path));
    }
    st::StatementReport report = st::ReviewStatements(files, options);
    if (!report.fileProblems.empty()) {
        QStringList problems;
        for (const std::string& problem : report.fileProblems) {
            problems << FromUtf8(problem);
        }
        ShowWarning(this, QStringLiteral("无法读取对账单（请另存为文本或 CSV 文件）：\n") +
                              problems.join(QLatin1Char('\n')));
        return false;
    }
    m_files = paths;
    m_report = std::move(report);
    showReport();
    return true;
}

void StatementWindow::reviewAgain() {
    if (!m_files.isEmpty()) {
        openFiles(m_files);
    } else {
        showReport(); // the other terms alone: nothing to price yet
    }
}

void StatementWindow::exitToMainWindow() {
    close();
    emit exited();
}

void StatementWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) {
        event->acceptProposedAction();
    }
}

void StatementWindow::dropEvent(QDropEvent* event) {
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile()) {
            paths << url.toLocalFile();
        }
    }
    if (!paths.isEmpty()) {
        event->acceptProposedAction();
        openFiles(paths);
    }
}

st::ReviewOptions StatementWindow::reviewOptions() const {
    st::ReviewOptions o;
    o.model = m_state.feeModel.model;
    o.parameters = m_state.parameters;
    if (!m_whatIfRate->text().isEmpty()) {
        o.whatIfRate = Val(ToAscii(m_whatIfRate->text())) / 10000;
    }
    o.whatIfNoMinimum = m_whatIfNoMinimum->isChecked();
    if (m_whatIfIncludes->currentIndex() > 0) {
        o.whatIfIncludesFees = m_whatIfIncludes->currentIndex() == 1;
    }
    return o;
}

void StatementWindow::fillWhatIf(const BrokerTerms& terms) {
    m_whatIfRate->setProgramText(FromUtf8(GeneralForm(terms.commissionRate * 10000)));
    m_whatIfNoMinimum->setChecked(terms.minimumWaived);
    m_whatIfIncludes->setCurrentIndex(terms.includesExchangeFees ? 1 : 2);
}

QString StatementWindow::termsText() const {
    if (m_report.terms.empty()) {
        return m_files.isEmpty()
                   ? QStringLiteral("打开交易软件导出的交割单（可多选，或拖到本窗口），"
                                    "即可看到券商实际的佣金条款和每年的费用。")
                   : QStringLiteral("对账单中没有可以判断佣金条款的成交。");
    }
    QStringList lines;
    for (const st::PeriodCheck& p : m_report.terms) {
        const st::TermsPeriod& f = p.found;
        lines << QStringLiteral("%1 至 %2").arg(DateText(f.from), DateText(f.to));
        lines << QStringLiteral("    佣金 %1，%2，%3，%4")
                     .arg(FromUtf8(st::QuoteRate(f.terms.commissionRate)),
                          f.minimumSeen ? MinimumText(f.terms) : QStringLiteral("最低佣金看不出"),
                          IncludesText(f.includesFees), TransferText(f.transfer));
        lines << QStringLiteral("    %1 笔成交中 %2 笔相符（费率依据 %3 笔，最低佣金 %4 笔）")
                     .arg(p.lines)
                     .arg(p.explained)
                     .arg(f.rateLines)
                     .arg(f.minimumLines);
    }
    return lines.join(QLatin1Char('\n'));
}

QString StatementWindow::summaryText() const {
    if (m_files.isEmpty()) {
        return QStringLiteral("未打开对账单");
    }
    QStringList names;
    for (const QString& path : m_files) {
        names << QFileInfo(path).fileName();
    }
    std::size_t skipped = 0;
    for (const auto& [word, count] : m_report.skipped) {
        skipped += count;
    }
    QString text =
        QStringLiteral("%1：%2 笔成交").arg(names.join(QStringLiteral("、"))).arg(m_report.trades);
    if (skipped > 0) {
        text += QStringLiteral("，%1 行非成交业务未计").arg(skipped);
    }
    if (m_report.unreadableCount > 0) {
        text += QStringLiteral("，%1 行无法读取").arg(m_report.unreadableCount);
    }
    if (m_report.unchecked > 0) {
        text += QStringLiteral("，%1 笔早于 2015-08-01 未核对").arg(m_report.unchecked);
    }
    return text;
}

QString StatementWindow::savingText() const {
    if (!m_report.whatIf) {
        return m_files.isEmpty() ? QString() : QStringLiteral("条款与对账单相同，无从比较。");
    }
    const st::WhatIfReport& w = *m_report.whatIf;
    QString text = QStringLiteral("实付费用 %1 元，换后 %2 元，%3 %4 元")
                       .arg(Fen(w.total.fees), Fen(w.total.whatIfFees),
                            w.total.saving >= 0 ? QStringLiteral("节省") : QStringLiteral("多付"),
                            Fen(std::abs(w.total.saving)));
    QStringList years;
    for (const st::WhatIfYear& y : w.years) {
        years << QStringLiteral("%1 年 %2").arg(y.year).arg(Fen(y.saving));
    }
    if (w.years.size() > 1) {
        text += QStringLiteral("（%1）").arg(years.join(QStringLiteral("，")));
    }
    return text;
}

void StatementWindow::showReport() {
    m_filesLabel->setText(summaryText());
    QStringList skippedWords;
    for (const auto& [word, count] : m_report.skipped) {
        skippedWords << QStringLiteral("%1 %2 行").arg(FromUtf8(word)).arg(count);
    }
    m_filesLabel->setToolTip(skippedWords.isEmpty() ? QString()
                                                    : QStringLiteral("未计的业务：") +
                                                          skippedWords.join(QStringLiteral("，")));
    m_termsText->setText(termsText());

    QList<QList<DataTable::Cell>> years;
    std::vector<FeeChart::Bar> bars;
    for (const st::YearTotals& y : m_report.years) {
        years << TotalsRow(QString::number(y.year), y.totals);
        const st::FeeTotals& t = y.totals;
        bars.push_back({QString::number(y.year), {t.commission, t.stamp, t.transfer, t.other}});
    }
    if (!m_report.years.empty()) {
        years << TotalsRow(QStringLiteral("合计"), m_report.total);
    }
    m_years->setRows(years);
    m_chart->setBars(std::move(bars));

    const std::string_view model =
        m_state.feeModel.model == FeeModel::Official ? kOfficialModelName : kClassicModelName;
    m_differingCaption->setText(QStringLiteral("与%1不符的行：%2 行，差额合计 %3 元")
                                    .arg(FromUtf8(model))
                                    .arg(m_report.differing.size())
                                    .arg(Fen(m_report.differingSum)));
    QList<QList<DataTable::Cell>> rows;
    for (const st::DifferingLine& d : m_report.differing) {
        const QString file = d.file < static_cast<std::size_t>(m_files.size())
                                 ? QFileInfo(m_files[static_cast<int>(d.file)]).fileName()
                                 : QString();
        rows << QList<DataTable::Cell>{
            {file, {}},
            Number(static_cast<double>(d.line), QString::number(d.line)),
            {DateText(d.date), {}},
            {FromUtf8(d.code), {}},
            {d.side == Side::Buy ? QStringLiteral("买") : QStringLiteral("卖"), {}},
            {FromUtf8(st::FeeLabel(d.fee)), {}},
            Money(d.charged),
            Money(d.expected),
            Money(d.difference),
            {FromUtf8(st::ReasonLabel(d.reason)), {}}};
    }
    m_differing->setRows(rows);
    m_differing->resizeColumnsToContents();

    m_savingText->setText(savingText());
    const ColorTable& colors = m_state.scheme.colors;
    const bool saves = m_report.whatIf && m_report.whatIf->total.saving >= 0;
    SetForeground(m_savingText, SchemeColor(colors[saves ? kSlotProfit : kSlotLoss]));
}

void StatementWindow::connectControls() {
    connect(m_openButton, &QPushButton::clicked, this, &StatementWindow::chooseFiles);
    connect(m_reviewButton, &QPushButton::clicked, this, &StatementWindow::reviewAgain);
    connect(m_exitButton, &QPushButton::clicked, this, &StatementWindow::exitToMainWindow);
    // Enter in the rate prices the statement under it at once.
    connect(m_whatIfRate, &EntryField::enterPressed, this, &StatementWindow::reviewAgain);
}

} // namespace ym::ui
