// The controls of the statement window and their places, in twips.
#include "core/entry_rules.h"
#include "ui/common/button_field.h"
#include "ui/common/colors.h"
#include "ui/common/controls.h"
#include "ui/common/data_table.h"
#include "ui/common/entry_field.h"
#include "ui/common/fonts.h"
#include "ui/common/title_strip.h"
#include "ui/common/twips.h"
#include "ui/statement/fee_chart.h"
#include "ui/statement/statement_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>

namespace ym::ui {

namespace {

constexpr QColor kTitleTextColor(0, 0, 128);
constexpr QColor kHandleColor(0, 0, 128);
constexpr QColor kHoverFrameColor(0, 0, 128);
constexpr QColor kFocusFrameColor(0, 0, 0);

constexpr double kClientWidth = 9900;
constexpr double kClientHeight = 7200;
constexpr double kMargin = 180;
constexpr double kInnerWidth = kClientWidth - 2 * kMargin;
constexpr double kRowHeight = 360;

constexpr double kOpenTop = 960;
// The terms found and the chart side by side, the tables of years and of differing lines
// across the window under them.
constexpr double kReportTop = 1440;
constexpr double kTermsWidth = 5400;
constexpr double kTermsHeight = 1680;
constexpr double kChartLeft = kMargin + kTermsWidth + 120;
constexpr double kChartWidth = kClientWidth - kMargin - kChartLeft;
constexpr double kYearsTop = kReportTop + kTermsHeight + 90;
constexpr double kYearsHeight = 1110;
constexpr double kDifferingTop = kYearsTop + kYearsHeight + 60;
constexpr double kDifferingHeight = 1410;
constexpr double kWhatIfTop = kDifferingTop + 300 + kDifferingHeight + 90;
constexpr double kSavingTop = kWhatIfTop + kRowHeight + 90;

} // namespace

void StatementWindow::buildControls() {
    setObjectName(QStringLiteral("Form9"));
    setFixedSize(TwipsSize(kClientWidth, kClientHeight));

    // The push buttons carry the access keys and the actions; they lie under the panel, the
    // button fields are what the user sees and clicks.
    const double tiny = 180;
    m_openButton = MakeActionButton(this, QStringLiteral("OpenButton"), QStringLiteral("打开(&O)"),
                                    TwipsRect(kMargin + 120, kOpenTop + 90, tiny, 180));
    m_reviewButton =
        MakeActionButton(this, QStringLiteral("WhatIfButton"), QStringLiteral("换算(&R)"),
                         TwipsRect(kMargin + 120, kWhatIfTop + 90, tiny, 180));
    m_exitButton = MakeActionButton(this, QStringLiteral("ExitButton"), QStringLiteral("退出(&X)"),
                                    TwipsRect(kClientWidth - 600, kSavingTop + 90, tiny, 180));

    m_panel = MakePanel(this, QStringLiteral("StatementPanel"),
                        TwipsRect(0, 0, kClientWidth, kClientHeight), kPanelColor);
    buildTitleStrip();
    buildReport();
    buildWhatIf();

    m_buttonFields = new ButtonFieldGroup(this);
    for (ButtonField* field : {m_openField, m_reviewField, m_exitField}) {
        m_buttonFields->add(field);
    }
    m_buttonFields->watchArea(m_panel);
    for (QPushButton* button : {m_openButton, m_reviewButton, m_exitButton}) {
        button->setFocusPolicy(Qt::TabFocus);
        button->setAutoDefault(true);
    }
    QWidget* previous = m_openButton;
    for (QWidget* next :
         std::initializer_list<QWidget*>{m_years, m_differing, m_whatIfRate, m_whatIfNoMinimum,
                                         m_whatIfIncludes, m_reviewButton, m_exitButton}) {
        setTabOrder(previous, next);
        previous = next;
    }
}

void StatementWindow::buildTitleStrip() {
    MakePicture(m_panel, QStringLiteral("TitlePicture"), TwipsRect(90, 90, 480, 360),
                QStringLiteral(":/artwork/statement.svg"));
    QLabel* title = MakeLabel(m_panel, QStringLiteral("TitleLabel"), QStringLiteral("对账单核对"),
                              TwipsRect(660, 45, 3300, 420), LishuFont(13.5, true));
    QLabel* credit =
        MakeLabel(m_panel, QStringLiteral("CreditLabel"), QStringLiteral("Yuanmate 开发组"),
                  TwipsRect(660, 480, 3300, 330), LishuFont(10.5, true));
    SetForeground(title, kTitleTextColor);
    SetForeground(credit, kTitleTextColor);

    MakeDragHandle(m_panel, QStringLiteral("TitleDragArea"),
                   TwipsRect(0, 0, kClientWidth - 960, 900));
    struct Handle {
        const char* name;
        const char* text;
        const char* tip;
        QFont font;
    };
    const std::array<Handle, 2> handles{{
        {"MinimiseHandle", "-", "最小化", CourierFont(12, true)},
        {"CloseHandle", "X", "关闭", TahomaFont(10, true)},
    }};
    for (int i = 0; i < 2; ++i) {
        const Handle& handle = handles[static_cast<std::size_t>(i)];
        const double left = kClientWidth - 900 + 420 * i;
        MakeRectangle(m_panel, QLatin1String(handle.name) + QStringLiteral("Frame"),
                      TwipsRect(left, 105, 320, 320), kHandleColor)
            ->show();
        ClickLabel* label =
            MakeWindowButton(m_panel, QLatin1String(handle.name), QString::fromUtf8(handle.text),
                             TwipsRect(left + 10, 115, 300, 300), handle.font, kHandleColor,
                             QString::fromUtf8(handle.tip));
        connect(label, &ClickLabel::clicked, this, [this, i] {
            if (i == 0) {
                showMinimized();
            } else {
                close(); // the main window stays minimised
            }
        });
    }
}

void StatementWindow::buildReport() {
    const ButtonFieldStyle style{SongFont(10.5), kPanelColor, kHoverFrameColor, kFocusFrameColor};
    m_openField =
        MakeButtonField(m_panel, QStringLiteral("OpenField"), QStringLiteral("打开交割单(O)"),
                        TwipsRect(kMargin, kOpenTop, 1800, kRowHeight), style, m_openButton,
                        QStringLiteral("OpenHoverFrame"), QStringLiteral("OpenFocusFrame"));
    m_openField->setToolTip(QStringLiteral("可多选；也可以把文件拖到本窗口"));
    const QFont font = SongFont(9);
    m_filesLabel =
        MakeLabel(m_panel, QStringLiteral("FilesLabel"), QString(),
                  TwipsRect(kMargin + 1920, kOpenTop, kInnerWidth - 1920, kRowHeight), font);

    // The report's panels in the display scheme's colours, as the result panels.
    const ColorTable& colors = m_state.scheme.colors;
    const QColor panel = SchemeColor(colors[kSlotAPanel]);
    const QColor text = SchemeColor(colors[kSlotDescription]);
    m_termsText = MakeLabel(m_panel, QStringLiteral("TermsText"), QString(),
                            TwipsRect(kMargin, kReportTop, kTermsWidth, kTermsHeight), font,
                            Qt::AlignLeft | Qt::AlignTop);
    m_termsText->setWordWrap(true);
    m_termsText->setMargin(4);
    m_termsText->setAccessibleName(QStringLiteral("佣金条款"));
    SetBackground(m_termsText, panel);
    SetForeground(m_termsText, text);

    m_years = new DataTable(
        m_panel, QStringLiteral("YearTable"),
        {QStringLiteral("年份"), QStringLiteral("笔数"), QStringLiteral("成交金额"),
         QStringLiteral("佣金"), QStringLiteral("印花税"), QStringLiteral("过户费"),
         QStringLiteral("其他费用"), QStringLiteral("费用合计"), QStringLiteral("费用‱")});
    m_years->setFont(font);
    m_years->horizontalHeader()->setFont(font);
    m_years->setGeometry(TwipsRect(kMargin, kYearsTop, kInnerWidth, kYearsHeight));
    m_years->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    m_years->setAccessibleName(QStringLiteral("按年费用"));

    m_chart = new FeeChart(m_panel);
    m_chart->setObjectName(QStringLiteral("FeeChart"));
    m_chart->setFont(font);
    m_chart->setGeometry(TwipsRect(kChartLeft, kReportTop, kChartWidth, kTermsHeight));
    m_chart->setAccessibleName(QStringLiteral("按年按类的费用图"));
    SetBackground(m_chart, panel);
    SetForeground(m_chart, text);

    m_differingCaption = MakeLabel(m_panel, QStringLiteral("DifferingCaption"), QString(),
                                   TwipsRect(kMargin, kDifferingTop, kInnerWidth, 300), font);
    m_differing =
        new DataTable(m_panel, QStringLiteral("DifferingTable"),
                      {QStringLiteral("文件"), QStringLiteral("行"), QStringLiteral("日期"),
                       QStringLiteral("代码"), QStringLiteral("方向"), QStringLiteral("费用"),
                       QStringLiteral("收取"), QStringLiteral("应收"), QStringLiteral("差额"),
                       QStringLiteral("可能原因")});
    m_differing->setFont(font);
    m_differing->horizontalHeader()->setFont(font);
    m_differing->horizontalHeader()->setStretchLastSection(true);
    m_differing->setGeometry(
        TwipsRect(kMargin, kDifferingTop + 300, kInnerWidth, kDifferingHeight));
    m_differing->setSortingEnabled(true);
    m_differing->sortByColumn(2, Qt::AscendingOrder); // by date, as the report lists them
    m_differing->setToolTip(QStringLiteral("单击列标题排序；Ctrl+C 复制选中的行"));
    m_differing->setAccessibleName(QStringLiteral("与规则不符的行"));
}

void StatementWindow::buildWhatIf() {
    const QFont font = SongFont(9);
    const ButtonFieldStyle style{SongFont(10.5), kPanelColor, kHoverFrameColor, kFocusFrameColor};
    double left = kMargin;
    QLabel* caption = MakeLabel(
        m_panel, QStringLiteral("WhatIfCaption"), QStringLiteral("换个条款：佣金率 万"),
        TwipsRect(left, kWhatIfTop, 1800, kRowHeight), font, Qt::AlignRight | Qt::AlignVCenter);
    left += 1830;
    m_whatIfRate =
        MakeEntry(m_panel, QStringLiteral("WhatIfRate"),
                  TwipsRect(left, kWhatIfTop, 720, kRowHeight), 6, SongFont(9, true), Qt::white);
    m_whatIfRate->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_whatIfRate->setToolTip(QStringLiteral("券商报的佣金率，例如 1 即万1（0.01%）；空为不变"));
    Caption(caption, m_whatIfRate);
    m_whatIfRate->setAccessibleName(QStringLiteral("换个条款的佣金率（万分之）"));
    left += 840;
    m_whatIfNoMinimum =
        MakeCheckBox(m_panel, QStringLiteral("WhatIfNoMinimum"), QStringLiteral("免五"),
                     TwipsRect(left, kWhatIfTop, 840, kRowHeight), font);
    left += 900;
    m_whatIfIncludes = MakeCombo(
        m_panel, QStringLiteral("WhatIfIncludesFees"),
        {QStringLiteral("规费不变"), QStringLiteral("含规费"), QStringLiteral("不含规费")},
        TwipsRect(left, kWhatIfTop, 1320, kRowHeight), font);
    m_whatIfIncludes->setAccessibleName(QStringLiteral("换个条款的规费"));
    left += 1440;
    m_reviewField =
        MakeButtonField(m_panel, QStringLiteral("WhatIfField"), QStringLiteral("换算(R)"),
                        TwipsRect(left, kWhatIfTop, 1200, kRowHeight), style, m_reviewButton,
                        QStringLiteral("WhatIfHoverFrame"), QStringLiteral("WhatIfFocusFrame"));

    m_savingText = MakeLabel(m_panel, QStringLiteral("SavingText"), QString(),
                             TwipsRect(kMargin, kSavingTop, kInnerWidth - 1560, kRowHeight),
                             SongFont(9, true));
    SetBackground(m_savingText, SchemeColor(m_state.scheme.colors[kSlotAPanel]));
    m_savingText->setMargin(2);
    m_exitField = MakeButtonField(
        m_panel, QStringLiteral("ExitField"), QStringLiteral("退    出"),
        TwipsRect(kClientWidth - kMargin - 1440, kSavingTop, 1440, kRowHeight), style, m_exitButton,
        QStringLiteral("ExitHoverFrame"), QStringLiteral("ExitFocusFrame"));
}

} // namespace ym::ui
