// The fee rules page of the parameter settings dialog: the fee model, the broker's
// commission terms, and the official fees in force on a chosen day with their sources.
#include "core/number_text.h"
#include "core/official_rules.h"
#include "core/rule_table.h"
#include "ui/common/controls.h"
#include "ui/common/date_field.h"
#include "ui/common/dates.h"
#include "ui/common/fonts.h"
#include "ui/common/text.h"
#include "ui/common/twips.h"
#include "ui/settings/parameter_field.h"
#include "ui/settings/settings_dialog.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QFontMetrics>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTableWidget>

#include <array>

namespace ym::ui {

namespace {

// The term fields in index order: the name a message and a screen reader give each, the
// term it edits and the check of its number.
struct TermField {
    const char* name;
    double BrokerTerms::*term;
    std::optional<std::string> (*problem)(double);
};
const std::array<TermField, 4> kTermFields{{
    {"佣金率", &BrokerTerms::commissionRate, &CommissionRateProblem},
    {"最低佣金(元)", &BrokerTerms::minimumYuan, &MinimumProblem},
    {"最低佣金(美元)", &BrokerTerms::minimumUsDollar, &MinimumProblem},
    {"最低佣金(港元)", &BrokerTerms::minimumHkDollar, &MinimumProblem},
}};

// The mark comes right after the fee, so that an unconfirmed row is seen without scrolling.
constexpr std::array<RuleColumn, kRuleColumnCount> kShownColumns{
    RuleColumn::Fee,      RuleColumn::Mark, RuleColumn::Types,      RuleColumn::Exchange,
    RuleColumn::Side,     RuleColumn::Rate, RuleColumn::Minimum,    RuleColumn::Cap,
    RuleColumn::Currency, RuleColumn::Base, RuleColumn::Includable, RuleColumn::Period,
    RuleColumn::Source};

const QColor kUnconfirmedColor(176, 0, 0);

// As on the other pages, a number text never needs more.
constexpr int kFieldMaxLength = 64;

// Places in twips: the model and the terms side by side, the table's day, the table.
constexpr double kRowHeight = 300;
constexpr double kFramesTop = 60;
constexpr double kFramesHeight = 1500;
const QRect kModelFrame = TwipsRect(150, kFramesTop, 1950, kFramesHeight);
const QRect kTermsFrame = TwipsRect(2250, kFramesTop, 5100, kFramesHeight);
constexpr double kDayTop = 1680;
constexpr double kTableTop = 2100;
constexpr double kTableHeight = 2760;

// Inside the terms frame: each field with its caption, `{left, top, width}` in twips.
struct Place {
    double left, top, width;
};
struct TermPlace {
    const char* captionName;
    const char* caption;
    Place captionAt;
    Place fieldAt;
};
constexpr std::array<TermPlace, 4> kTermPlaces{{
    {"Label10", "佣金率:", {150, 330, 930}, {1080, 330, 1140}},
    {"Label12", "元", {1080, 720, 240}, {1320, 720, 780}},
    {"Label13", "美元", {2220, 720, 450}, {2670, 720, 780}},
    {"Label14", "港元", {3570, 720, 450}, {4020, 720, 780}},
}};

QRect At(const Place& p) {
    return TwipsRect(p.left, p.top, p.width, kRowHeight);
}

} // namespace

QWidget* SettingsDialog::buildFeeRulesPage() {
    auto* page = new QWidget();
    page->setObjectName(QStringLiteral("Page_3"));
    const QFont font = SongFont(9);

    auto* frame1 = new QGroupBox(QStringLiteral("计费模型"), page);
    frame1->setObjectName(QStringLiteral("Frame1"));
    frame1->setGeometry(kModelFrame);
    m_classicModel = MakeOption(frame1, QStringLiteral("Option1"), FromUtf8(kClassicModelName),
                                TwipsRect(240, 420, 1600, kRowHeight), font);
    m_classicModel->setToolTip(QStringLiteral("按沪深两页设置的费率计算"));
    m_officialModel = MakeOption(frame1, QStringLiteral("Option2"), FromUtf8(kOfficialModelName),
                                 TwipsRect(240, 900, 1600, kRowHeight), font);
    m_officialModel->setToolTip(
        QStringLiteral("按交易日施行的官方收费和下面的券商佣金条款计算, 每项费用四舍五入到分"));

    auto* frame2 = new QGroupBox(QStringLiteral("券商佣金条款(官方规则)"), page);
    frame2->setObjectName(QStringLiteral("Frame2"));
    frame2->setGeometry(kTermsFrame);
    MakeLabel(frame2, QStringLiteral("Label11"), QStringLiteral("最低佣金:"),
              TwipsRect(150, 720, 930, kRowHeight), font);
    for (std::size_t i = 0; i < kTermFields.size(); ++i) {
        const int index = static_cast<int>(i);
        const TermPlace& place = kTermPlaces[i];
        QLabel* caption = MakeLabel(frame2, QLatin1String(place.captionName),
                                    QString::fromUtf8(place.caption), At(place.captionAt), font);
        auto* field = new ParameterField(frame2);
        field->setObjectName(ArrayName("Text4", index));
        field->setGeometry(At(place.fieldAt));
        field->setFont(font);
        field->setMaxLength(kFieldMaxLength);
        field->setKeyPress([this, index](char32_t& ch) { termKeyPress(index, ch); });
        field->setPasteCheck(
            [this, field](const QString& result) { return acceptsPaste(field, result); });
        connect(field, &QLineEdit::textEdited, this, [this] { m_changed = true; });
        Caption(caption, field);
        field->setAccessibleName(QString::fromUtf8(kTermFields[i].name));
        m_termFields.push_back(field);
    }
    m_termFields.front()->setToolTip(QStringLiteral("成交金额的比例: 万分之2.5 写作 0.00025"));
    m_minimumWaived =
        MakeCheckBox(frame2, QStringLiteral("Check1"), QStringLiteral("免五(不收最低佣金)"),
                     TwipsRect(2520, 330, 2460, kRowHeight), font);
    m_includesExchangeFees = MakeCheckBox(frame2, QStringLiteral("Check2"),
                                          QStringLiteral("佣金含经手费、证管费(含规费)"),
                                          TwipsRect(150, 1110, 4800, kRowHeight), font);

    QLabel* dayCaption = MakeLabel(page, QStringLiteral("Label15"), QStringLiteral("费率表日期:"),
                                   TwipsRect(150, kDayTop, 1350, kRowHeight), font);
    m_rulesDay = MakeDateField(page, QStringLiteral("DTPicker1"),
                               TwipsRect(1500, kDayTop - 15, 1500, kRowHeight + 30), font);
    Caption(dayCaption, m_rulesDay);
    MakeLabel(
        page, QStringLiteral("Label16"),
        QStringLiteral("表格核对至 %1, 红字为未确认").arg(FromUtf8(FormatDate(kRulesCheckedOn))),
        TwipsRect(3150, kDayTop, 4200, kRowHeight), font);

    const QRect tableRect = TwipsRect(150, kTableTop, 7200, kTableHeight);
    m_rulesTable = new QTableWidget(page);
    m_rulesTable->setObjectName(QStringLiteral("ListView1"));
    m_rulesTable->setGeometry(tableRect);
    m_rulesTable->setFont(font);
    m_rulesTable->setColumnCount(static_cast<int>(kShownColumns.size()));
    QStringList headers;
    for (const RuleColumn column : kShownColumns) {
        headers << FromUtf8(RuleColumnName(column));
    }
    m_rulesTable->setHorizontalHeaderLabels(headers);
    m_rulesTable->verticalHeader()->hide();
    m_rulesTable->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_rulesTable->verticalHeader()->setDefaultSectionSize(QFontMetrics(font).height() + 6);
    m_rulesTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_rulesTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_rulesTable->setSelectionMode(QAbstractItemView::SingleSelection);
    m_rulesTable->setWordWrap(false);
    m_rulesTable->setAlternatingRowColors(true);
    m_rulesTable->setAccessibleName(QStringLiteral("官方收费表"));

    m_noRulesLabel = MakeLabel(page, QStringLiteral("Label17"), FromUtf8(kNoRulesMessage),
                               tableRect, font, Qt::AlignCenter);
    m_noRulesLabel->setWordWrap(true);
    m_noRulesLabel->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    m_noRulesLabel->hide();

    // The model, the terms in index order, the two choices, the day, the table.
    QWidget* previous = m_officialModel;
    for (QWidget* next :
         {static_cast<QWidget*>(m_termFields[0]), static_cast<QWidget*>(m_termFields[1]),
          static_cast<QWidget*>(m_termFields[2]), static_cast<QWidget*>(m_termFields[3]),
          static_cast<QWidget*>(m_minimumWaived), static_cast<QWidget*>(m_includesExchangeFees),
          static_cast<QWidget*>(m_rulesDay), static_cast<QWidget*>(m_rulesTable)}) {
        setTabOrder(previous, next);
        previous = next;
    }
    setTabOrder(m_classicModel, m_officialModel);
    connect(m_rulesDay, &QDateEdit::dateChanged, this, &SettingsDialog::showRules);
    return page;
}

void SettingsDialog::loadFeeRulesPage() {
    const FeeModelSettings& stored = m_state.feeModel;
    (stored.model == FeeModel::Official ? m_officialModel : m_classicModel)->setChecked(true);
    for (std::size_t i = 0; i < m_termFields.size(); ++i) {
        m_termFields[i]->setText(FromUtf8(GeneralForm(stored.terms.*kTermFields[i].term)));
    }
    m_minimumWaived->setChecked(stored.terms.minimumWaived);
    m_includesExchangeFees->setChecked(stored.terms.includesExchangeFees);
    // The table opens on the main window's trade date.
    const QDate day = ToQDate(m_state.tradeDate);
    {
        const QSignalBlocker blocker(m_rulesDay);
        m_rulesDay->setDate(day.isValid() ? day : QDate::currentDate());
    }
    showRules();
}

FeeModelSettings SettingsDialog::pageFeeModel() const {
    FeeModelSettings settings;
    settings.model = m_officialModel->isChecked() ? FeeModel::Official : FeeModel::Classic;
    for (std::size_t i = 0; i < m_termFields.size(); ++i) {
        settings.terms.*kTermFields[i].term = Val(ToAscii(m_termFields[i]->text()));
    }
    settings.terms.minimumWaived = m_minimumWaived->isChecked();
    settings.terms.includesExchangeFees = m_includesExchangeFees->isChecked();
    return settings;
}

std::optional<QString> SettingsDialog::termProblem(std::size_t index) const {
    const TermField& term = kTermFields[index];
    if (const auto problem = term.problem(Val(ToAscii(m_termFields[index]->text())))) {
        return QStringLiteral("  ** %1: %2").arg(QString::fromUtf8(term.name), FromUtf8(*problem));
    }
    return std::nullopt;
}

void SettingsDialog::showRules() {
    const Date day = FromQDate(m_rulesDay->date());
    const std::vector<const OfficialFeeRow*> rows = RulesInForce(day);
    const bool none = day < kFirstRuleDate;
    m_rulesTable->setVisible(!none);
    m_noRulesLabel->setVisible(none);
    m_rulesTable->clearContents();
    m_rulesTable->setRowCount(static_cast<int>(rows.size()));
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const OfficialFeeRow& row = *rows[r];
        for (std::size_t c = 0; c < kShownColumns.size(); ++c) {
            auto* item = new QTableWidgetItem(FromUtf8(RuleCell(row, kShownColumns[c])));
            item->setToolTip(FromUtf8(row.source));
            if (row.mark == Evidence::Believed) {
                item->setForeground(kUnconfirmedColor);
            }
            m_rulesTable->setItem(static_cast<int>(r), static_cast<int>(c), item);
        }
    }
    m_rulesTable->resizeColumnsToContents();
}

} // namespace ym::ui
