// The controls of the position tools' window and their places, in twips.
#include "core/entry_rules.h"
#include "core/selection.h"
#include "ui/common/button_field.h"
#include "ui/common/colors.h"
#include "ui/common/controls.h"
#include "ui/common/date_field.h"
#include "ui/common/entry_field.h"
#include "ui/common/fonts.h"
#include "ui/common/row_panel.h"
#include "ui/common/text.h"
#include "ui/common/title_strip.h"
#include "ui/common/twips.h"
#include "ui/position/position_window.h"
#include "ui/position/profit_chart.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>

namespace ym::ui {

namespace {

constexpr QColor kTitleTextColor(0, 0, 128);
constexpr QColor kBannerColor(128, 0, 128);
constexpr QColor kHandleColor(0, 0, 128);
constexpr QColor kHoverFrameColor(0, 0, 128);
constexpr QColor kFocusFrameColor(0, 0, 0);

constexpr double kClientWidth = 7800;
constexpr double kClientHeight = 7350;
constexpr double kTitleStripHeight = 900;

// The security: code, market, type, trade date and fee model in two rows under the title.
constexpr double kCodeRowTop = 990;
constexpr double kSelectionRowTop = 1425;
constexpr double kRowHeight = 360;

// The pages, and on each the fields down the left, the results on the right.
constexpr double kTabsTop = 1890;
constexpr double kTabsHeight = 4800;
constexpr double kFieldLeft = 150;
constexpr double kFieldWidth = 2250;
constexpr double kFieldTop = 120;
constexpr double kFieldPitch = 690;
constexpr double kCaptionHeight = 270;
constexpr double kResultLeft = 2580;
constexpr double kResultWidth = 4740;
constexpr double kResultTop = 120;

constexpr double kButtonTop = 6810;
constexpr double kButtonHeight = 420;

double FieldRowTop(int row) {
    return kFieldTop + kFieldPitch * row;
}

// A results panel: two margins, the rows, and a little air round them.
double ResultHeight(int rows) {
    return 420 + 300.0 * rows;
}

} // namespace

void PositionWindow::buildControls() {
    setObjectName(QStringLiteral("Form8"));
    setFixedSize(TwipsSize(kClientWidth, kClientHeight));

    // The push buttons carry the access keys and the three actions. They stay shown, so
    // their access keys work, but lie under the panel: the button fields are what the user
    // sees and clicks.
    const double tiny = 180;
    m_exitAction =
        MakeActionButton(this, QStringLiteral("Command1"), QStringLiteral("退    出(&X)"),
                         TwipsRect(7000, kButtonTop + 120, tiny, 210));
    m_computeAction =
        MakeActionButton(this, QStringLiteral("Command2"), QStringLiteral("计   算(&D)"),
                         TwipsRect(400, kButtonTop + 120, tiny, 210));
    m_clearAction =
        MakeActionButton(this, QStringLiteral("Command3"), QStringLiteral("清   除(&C)"),
                         TwipsRect(2100, kButtonTop + 120, tiny, 210));

    m_panel = MakePanel(this, QStringLiteral("Picture2"),
                        TwipsRect(0, 0, kClientWidth, kClientHeight), kLightBlue);
    buildTitleStrip();
    buildSecurityRows();
    buildPages();
    buildButtons();
}

void PositionWindow::buildTitleStrip() {
    MakePicture(m_panel, QStringLiteral("Picture3"), TwipsRect(90, 90, 420, 375),
                QStringLiteral(":/artwork/position-title.svg"));
    QLabel* title = MakeLabel(m_panel, QStringLiteral("Label1"), QStringLiteral("持仓计算"),
                              TwipsRect(600, 45, 3300, 420), LishuFont(13.5, true));
    QFont bannerFont = ScriptFont(15.75, true);
    bannerFont.setUnderline(true);
    QLabel* banner =
        MakeLabel(m_panel, QStringLiteral("Label5"), QStringLiteral("    Yuanmate v5.5     "),
                  TwipsRect(420, 450, 3000, 420), bannerFont);
    QLabel* credit = MakeLabel(m_panel, QStringLiteral("Label2"), QStringLiteral("Yuanmate 开发组"),
                               TwipsRect(4200, 510, 3420, 330), LishuFont(12, true),
                               Qt::AlignRight | Qt::AlignVCenter);
    SetForeground(title, kTitleTextColor);
    SetForeground(banner, kBannerColor);
    SetForeground(credit, kTitleTextColor);

    MakeDragHandle(m_panel, QStringLiteral("Label7"), TwipsRect(0, 0, 6840, kTitleStripHeight));
    struct Handle {
        const char* text;
        const char* tip;
        QFont font;
    };
    const std::array<Handle, 2> handles{{
        {"-", "最小化", CourierFont(12, true)},
        {"X", "关闭", TahomaFont(10, true)},
    }};
    for (int i = 0; i < 2; ++i) {
        const Handle& handle = handles[static_cast<std::size_t>(i)];
        const double left = 6915 + 420 * i;
        MakeRectangle(m_panel, ArrayName("Shape4", i), TwipsRect(left, 105, 320, 320), kHandleColor)
            ->show();
        ClickLabel* label =
            MakeWindowButton(m_panel, ArrayName("Label8", i), QString::fromUtf8(handle.text),
                             TwipsRect(left + 10, 115, 300, 300), handle.font, kHandleColor,
                             QString::fromUtf8(handle.tip));
        connect(label, &ClickLabel::clicked, this, [this, i] { titleHandleClicked(i); });
    }
}

void PositionWindow::buildSecurityRows() {
    const QFont captionFont = SongFont(10.5);
    const QFont fieldFont = SongFont(10.5, true);
    QLabel* codeCaption =
        MakeLabel(m_panel, QStringLiteral("Label3"), QStringLiteral("证券代码(&S):"),
                  TwipsRect(180, kCodeRowTop, 1230, kRowHeight), captionFont);
    m_code = MakeEntry(m_panel, QStringLiteral("Text1"),
                       TwipsRect(1410, kCodeRowTop, 1080, kRowHeight), 6, fieldFont, kTeal);
    m_code->setFractionAllowed(false);
    m_code->setToolTip(QStringLiteral("六位代码,可省去前面的0;回车后按代码填入市场、类型和板块"));
    Caption(codeCaption, m_code);
    m_codeFacts = MakeLabel(m_panel, QStringLiteral("Label11"), QString(),
                            TwipsRect(2580, kCodeRowTop, 2640, kRowHeight), SongFont(9));

    QLabel* dateCaption =
        MakeLabel(m_panel, QStringLiteral("Label9"), QStringLiteral("交易日(&T):"),
                  TwipsRect(5220, kCodeRowTop, 1080, kRowHeight), captionFont,
                  Qt::AlignRight | Qt::AlignVCenter);
    m_tradeDate = MakeDateField(m_panel, QStringLiteral("DTPicker1"),
                                TwipsRect(6300, kCodeRowTop, 1320, kRowHeight), SongFont(9));
    Caption(dateCaption, m_tradeDate);

    QLabel* marketCaption =
        MakeLabel(m_panel, QStringLiteral("Label4"), QStringLiteral("市场(&M):"),
                  TwipsRect(180, kSelectionRowTop, 900, kRowHeight), captionFont);
    m_market =
        MakeCombo(m_panel, QStringLiteral("Combo1"),
                  {FromUtf8(MarketName(Market::Shanghai)), FromUtf8(MarketName(Market::Shenzhen))},
                  TwipsRect(1080, kSelectionRowTop, 1020, kRowHeight), captionFont);
    Caption(marketCaption, m_market);
    QLabel* typeCaption =
        MakeLabel(m_panel, QStringLiteral("Label6"), QStringLiteral("类型(&Y):"),
                  TwipsRect(2220, kSelectionRowTop, 900, kRowHeight), captionFont);
    QStringList types;
    for (int number = 1; number <= 5; ++number) {
        types << FromUtf8(TypeName(*TypeFromNumber(number)));
    }
    m_type = MakeCombo(m_panel, QStringLiteral("Combo2"), types,
                       TwipsRect(3120, kSelectionRowTop, 1680, kRowHeight), captionFont);
    Caption(typeCaption, m_type);

    m_feeModel = MakeLabel(m_panel, QStringLiteral("Label10"), QString(),
                           TwipsRect(5220, kSelectionRowTop, 2400, kRowHeight), SongFont(9),
                           Qt::AlignCenter);
    m_feeModel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_feeModel->setToolTip(QStringLiteral("费用所依据的费率,与主窗口相同;在设置参数中更改"));
}

void PositionWindow::buildPages() {
    m_tabs = MakeTabs(m_panel, QStringLiteral("SSTab1"),
                      TwipsRect(120, kTabsTop, kClientWidth - 240, kTabsHeight), SongFont(10.5));
    const std::array<const char*, 4> captions{"目标价/止损价(&1)", "补仓/加仓(&2)", "做T(&3)",
                                              "涨跌停价(&4)"};
    for (std::size_t i = 0; i < m_pages.size(); ++i) {
        auto* widget = new QWidget();
        widget->setObjectName(ArrayName("Page", static_cast<int>(i)));
        SetBackground(widget, kLightBlue);
        m_pages[i].widget = widget;
        m_tabs->addTab(widget, QString::fromUtf8(captions[i]));
    }
    buildTargetPage();
    buildAveragePage();
    buildSwingPage();
    buildLimitsPage();
}

void PositionWindow::addFields(Page& target, int arrayNumber,
                               const std::vector<std::pair<const char*, FieldKind>>& fields) {
    const QFont captionFont = SongFont(10.5);
    const QFont fieldFont = SongFont(10.5, true);
    const QString fieldArray = QStringLiteral("Text%1").arg(arrayNumber);
    const QString captionArray = QStringLiteral("Label%1").arg(20 + arrayNumber);
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const int index = static_cast<int>(i);
        const double top = FieldRowTop(index);
        QLabel* caption =
            MakeLabel(target.widget, ArrayName(captionArray.toLatin1().constData(), index),
                      QString::fromUtf8(fields[i].first),
                      TwipsRect(kFieldLeft, top, kFieldWidth, kCaptionHeight), captionFont);
        const bool quantity = fields[i].second == FieldKind::Quantity;
        EntryField* edit =
            MakeEntry(target.widget, ArrayName(fieldArray.toLatin1().constData(), index),
                      TwipsRect(kFieldLeft, top + kCaptionHeight, kFieldWidth, kRowHeight),
                      static_cast<int>(quantity ? kQuantityFieldLength : kPriceFieldLength),
                      fieldFont, kTeal);
        edit->setFractionAllowed(!quantity);
        Caption(caption, edit);
        target.fields.push_back({edit, fields[i].second, 0});
    }
}

void PositionWindow::addResults(Page& target, int pageIndex, int rows) {
    const QString name = ArrayName("Picture4", pageIndex);
    const QByteArray captions = QStringLiteral("Label%1").arg(30 + pageIndex).toLatin1();
    const QByteArray values = QStringLiteral("Label%1").arg(40 + pageIndex).toLatin1();
    const QByteArray lines = QStringLiteral("Line%1").arg(1 + pageIndex).toLatin1();
    target.rows = new RowPanel(target.widget, name,
                               TwipsRect(kResultLeft, kResultTop, kResultWidth, ResultHeight(rows)),
                               rows, captions.constData(), values.constData(), lines.constData());
    target.rows->setColors(m_state.scheme.colors);
    // Below the results on the right, or below the fields when the chart takes that place.
    const bool besideFields = pageIndex == static_cast<int>(PositionPage::Target);
    const QRect where = besideFields ? TwipsRect(kFieldLeft, 3030, kFieldWidth, 1200)
                                     : TwipsRect(kResultLeft, kResultTop + ResultHeight(rows) + 120,
                                                 kResultWidth, 900);
    target.note = MakeLabel(target.widget, ArrayName("Label50", pageIndex), QString(), where,
                            SongFont(9), Qt::AlignLeft | Qt::AlignTop);
    target.note->setWordWrap(true);
    SetForeground(target.note, SchemeColor(m_state.scheme.colors[kSlotLoss]));
}

void PositionWindow::buildTargetPage() {
    Page& target = page(PositionPage::Target);
    addFields(target, 2,
              {{"买入价格：(元)", FieldKind::PaidPrice}, {"买入数量：(股)", FieldKind::Quantity}});
    QWidget* w = target.widget;
    const QFont optionFont = SongFont(9);
    const double goalTop = FieldRowTop(2);
    const double second = kFieldLeft + 1080;
    m_goalProfit = MakeOption(w, QStringLiteral("Option1"), QStringLiteral("目标盈利"),
                              TwipsRect(kFieldLeft, goalTop, 1080, 300), optionFont);
    m_goalStop = MakeOption(w, QStringLiteral("Option2"), QStringLiteral("止损"),
                            TwipsRect(second, goalTop, kFieldWidth - 1080, 300), optionFont);
    m_goalYuan = MakeOption(w, QStringLiteral("Option3"), QStringLiteral("金额(元)"),
                            TwipsRect(kFieldLeft, goalTop + 330, 1080, 300), optionFont);
    m_goalYield = MakeOption(w, QStringLiteral("Option4"), QStringLiteral("收益率(%)"),
                             TwipsRect(second, goalTop + 330, kFieldWidth - 1080, 300), optionFont);
    m_goalStop->setToolTip(QStringLiteral("最多亏损这么多时的卖出价"));
    for (const auto& pair :
         {std::pair{m_goalProfit, m_goalStop}, std::pair{m_goalYuan, m_goalYield}}) {
        auto* group = new QButtonGroup(this);
        group->addButton(pair.first);
        group->addButton(pair.second);
        pair.first->setChecked(true);
    }
    const double amountTop = goalTop + 690;
    m_goalCaption =
        MakeLabel(w, QStringLiteral("Label22_2"), QString(),
                  TwipsRect(kFieldLeft, amountTop, kFieldWidth, kCaptionHeight), SongFont(10.5));
    EntryField* amount =
        MakeEntry(w, QStringLiteral("Text2_2"),
                  TwipsRect(kFieldLeft, amountTop + kCaptionHeight, kFieldWidth, kRowHeight),
                  static_cast<int>(kPriceFieldLength), SongFont(10.5, true), kTeal);
    Caption(m_goalCaption, amount);
    target.fields.push_back({amount, FieldKind::Price, 0});

    addResults(target, 0, 7);
    const double chartTop = kResultTop + ResultHeight(7) + 120;
    m_chart = new ProfitChart(w);
    m_chart->setObjectName(QStringLiteral("Picture5"));
    m_chart->setGeometry(TwipsRect(kResultLeft, chartTop, kResultWidth, 4320 - chartTop));
    m_chart->setColors(m_state.scheme.colors);
}

void PositionWindow::buildAveragePage() {
    Page& average = page(PositionPage::Average);
    addFields(average, 3,
              {{"持有数量：(股)", FieldKind::Quantity},
               {"成本价：(元)", FieldKind::Price},
               {"补仓价格：(元)", FieldKind::PaidPrice},
               {"补仓数量：(股)", FieldKind::Quantity},
               {"或目标成本价：(元)", FieldKind::Price}});
    average.fields[4].edit->setToolTip(
        QStringLiteral("不填补仓数量时,求达到该成本价的最少补仓手数"));
    addResults(average, 1, 6);
}

void PositionWindow::buildSwingPage() {
    Page& swing = page(PositionPage::Swing);
    addFields(swing, 4,
              {{"持有数量：(股)", FieldKind::Quantity},
               {"成本价：(元)", FieldKind::Price},
               {"做T数量：(股)", FieldKind::Quantity},
               {"卖出价格：(元)", FieldKind::Price},
               {"买回价格：(元)", FieldKind::PaidPrice}});
    swing.fields[2].edit->setToolTip(
        QStringLiteral("正T先卖后买,倒T先买后卖,两笔交易相同;当日只能卖出今日之前持有的股份"));
    addResults(swing, 2, 6);
}

void PositionWindow::buildLimitsPage() {
    Page& limits = page(PositionPage::Limits);
    addFields(limits, 5, {{"前收盘价：(元)", FieldKind::Price}});
    QWidget* w = limits.widget;
    const QFont font = SongFont(10.5);
    const double boardTop = FieldRowTop(1);
    QLabel* boardCaption =
        MakeLabel(w, QStringLiteral("Label25_1"), QStringLiteral("板块(&B):"),
                  TwipsRect(kFieldLeft, boardTop, kFieldWidth, kCaptionHeight), font);
    QStringList boards;
    for (std::string_view caption : BoardCaptions()) {
        boards << FromUtf8(caption);
    }
    m_board =
        MakeCombo(w, QStringLiteral("Combo3"), boards,
                  TwipsRect(kFieldLeft, boardTop + kCaptionHeight, kFieldWidth, kRowHeight), font);
    m_board->setCurrentIndex(0);
    Caption(boardCaption, m_board);
    m_listingDays =
        MakeCheckBox(w, QStringLiteral("Check1"), QStringLiteral("无涨跌幅限制(&L)"),
                     TwipsRect(kFieldLeft, FieldRowTop(2) + 90, kFieldWidth, 300), SongFont(9));
    m_listingDays->setToolTip(
        QStringLiteral("新股上市初期按板块规则不设涨跌幅限制的交易日,请勾选"));
    addResults(limits, 3, 4);
}

void PositionWindow::buildButtons() {
    const ButtonFieldStyle style{SongFont(10.5), kLightBlue, kHoverFrameColor, kFocusFrameColor};
    m_buttonFields[1] =
        MakeButtonField(m_panel, ArrayName("Text7", 1), QStringLiteral("计 算(D)"),
                        TwipsRect(180, kButtonTop, 1560, kButtonHeight), style, m_computeAction,
                        ArrayName("Shape3", 2), ArrayName("Shape3", 3));
    m_buttonFields[2] =
        MakeButtonField(m_panel, ArrayName("Text7", 2), QStringLiteral("清 除(C)"),
                        TwipsRect(1920, kButtonTop, 1560, kButtonHeight), style, m_clearAction,
                        ArrayName("Shape3", 4), ArrayName("Shape3", 5));
    m_buttonFields[0] =
        MakeButtonField(m_panel, ArrayName("Text7", 0), QStringLiteral("退    出(X)"),
                        TwipsRect(kClientWidth - 180 - 1980, kButtonTop, 1980, kButtonHeight),
                        style, m_exitAction, ArrayName("Shape3", 0), ArrayName("Shape3", 1));
    m_buttonGroup = new ButtonFieldGroup(this);
    for (ButtonField* field : m_buttonFields) {
        m_buttonGroup->add(field);
    }
    // Moving the mouse over the pages or the bare panel takes the hover frames away.
    m_buttonGroup->watchArea(m_tabs);
    m_buttonGroup->watchArea(m_panel);
}

} // namespace ym::ui
