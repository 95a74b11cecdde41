// The controls of the main window and their places, in twips.
#include "core/entry_rules.h"
#include "ui/common/button_field.h"
#include "ui/common/colors.h"
#include "ui/common/controls.h"
#include "ui/common/date_field.h"
#include "ui/common/entry_field.h"
#include "ui/common/fonts.h"
#include "ui/common/title_strip.h"
#include "ui/common/twips.h"
#include "ui/main/main_window.h"

#include <QDateEdit>
#include <QFrame>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>

namespace ym::ui {

namespace {

constexpr QColor kTitleStripColor(0, 0, 192);
constexpr QColor kTitleTextColor(128, 255, 255);
constexpr QColor kHandleColor(0, 255, 0);
constexpr QColor kToolStripColor(128, 128, 255);
constexpr QColor kInputPanelColor(192, 192, 255);
constexpr QColor kEntryFieldColor(0, 192, 192);
constexpr QColor kWindowColor(192, 192, 224);
constexpr QColor kHoverFrameColor(0, 0, 128);
constexpr QColor kFocusFrameColor(0, 0, 0);

// The result panels on the left, the input panel on the right of the working area.
constexpr double kResultLeft = 90;
constexpr double kResultTop = 800;
constexpr double kInputLeft = 5070;
constexpr double kInputTop = 760;

// A selector: what it selects, its control, caption and place in its group, in twips.
struct Place {
    double left, top, width;
};
template <class Value> struct OptionPlace {
    Value value;
    const char* name;
    const char* caption;
    Place at;
};
constexpr std::array<OptionPlace<Market>, 2> kMarketOptions{{
    {Market::Shanghai, "Option1", "沪市", {300, 270, 1000}},
    {Market::Shenzhen, "Option2", "深市", {1560, 270, 1000}},
}};
// In their order on the panel, which is the Tab order.
constexpr std::array<OptionPlace<SecurityType>, 5> kTypeOptions{{
    {SecurityType::AShare, "Option3", "A 股", {180, 270, 800}},
    {SecurityType::BShare, "Option6", "B 股", {1000, 270, 800}},
    {SecurityType::Bond, "Option4", "债券", {1820, 270, 880}},
    {SecurityType::Fund, "Option5", "基金", {180, 630, 800}},
    {SecurityType::InvestmentFund, "Option7", "证券投资基金", {1000, 630, 1700}},
}};

QRect At(const Place& p) {
    return TwipsRect(p.left, p.top, p.width, 300);
}

} // namespace

void MainWindow::buildControls() {
    setObjectName(QStringLiteral("Form1"));
    setFixedSize(TwipsSize(8115, 6480));
    SetBackground(this, kWindowColor);
    buildTitleStrip();
    m_panels = BuildResultPanels(this, kResultLeft, kResultTop);
    buildInputPanel();
    buildToolStrip();
}

void MainWindow::buildTitleStrip() {
    m_titleStrip =
        MakePanel(this, QStringLiteral("Picture5"), TwipsRect(0, 0, 8100, 720), kTitleStripColor);
    for (const char* name : {"Shape1_0", "Shape1_1"}) {
        MakeRectangle(m_titleStrip, QLatin1String(name), TwipsRect(20, 20, 8060, 680),
                      kTitleTextColor)
            ->show();
    }
    MakePicture(m_titleStrip, QStringLiteral("Image1"), TwipsRect(90, 120, 465, 465),
                QStringLiteral(":/artwork/logo.svg"));

    QLabel* name = MakeLabel(m_titleStrip, QStringLiteral("Label11"), QStringLiteral("交易小算盘"),
                             TwipsRect(360, 60, 2300, 360), LishuFont(18, true), Qt::AlignCenter);
    QLabel* version =
        MakeLabel(m_titleStrip, QStringLiteral("Label12"), QStringLiteral("Yuanmate v5.5"),
                  TwipsRect(420, 380, 2000, 280), ComicFont(11.25, true), Qt::AlignCenter);
    MakeLine(m_titleStrip, QStringLiteral("Line2"), 500, 415, 2000, kTitleTextColor);
    QLabel* credit = MakeLabel(m_titleStrip, QStringLiteral("Label16"),
                               QStringLiteral("Yuanmate 开发组"), TwipsRect(3450, 380, 3600, 300),
                               LishuFont(12, true), Qt::AlignRight | Qt::AlignVCenter);
    for (QLabel* label : {name, version, credit}) {
        SetForeground(label, kTitleTextColor);
    }

    MakeDragHandle(m_titleStrip, QStringLiteral("Label17"), TwipsRect(20, 20, 7100, 700));
    MakeRectangle(m_titleStrip, QStringLiteral("Shape2_1"), TwipsRect(7200, 170, 320, 320),
                  kHandleColor)
        ->show();
    MakeRectangle(m_titleStrip, QStringLiteral("Shape2_0"), TwipsRect(7600, 170, 320, 320),
                  kHandleColor)
        ->show();
    ClickLabel* minimiseHandle =
        MakeWindowButton(m_titleStrip, QStringLiteral("Label13"), QStringLiteral("-"),
                         TwipsRect(7220, 210, 300, 300), CourierFont(12, true), kHandleColor,
                         QStringLiteral("最小化"));
    ClickLabel* closeHandle = MakeWindowButton(
        m_titleStrip, QStringLiteral("Label15"), QStringLiteral("X"),
        TwipsRect(7620, 200, 300, 300), TahomaFont(10, true), kHandleColor, QStringLiteral("关闭"));
    connect(minimiseHandle, &ClickLabel::clicked, this, &MainWindow::minimise);
    connect(closeHandle, &ClickLabel::clicked, this, &MainWindow::endWithoutSaving);
}

void MainWindow::buildToolStrip() {
    m_toolStrip =
        MakePanel(this, QStringLiteral("Picture3"), TwipsRect(8, 6050, 8088, 420), kToolStripColor);
    struct Tool {
        double left;
        const char* icon;
        const char* hint;
    };
    // Index order; seen from the left they run 0, 1, 3, 2, 4, 5.
    static const std::array<Tool, 6> kTools{{
        {240, ":/artwork/calculator.svg", "计算器(F2)"},
        {924, ":/artwork/notebook.svg", "记事本(F3)"},
        {2256, ":/artwork/settings.svg", "设置参数(F5)"},
        {1584, ":/artwork/exrights.svg", "除权、除息价计算器(F4)"},
        {2928, ":/artwork/about.svg", "关于(F6),帮助(F1)"},
        {3540, ":/artwork/position.svg", "持仓计算(F7)"},
    }};
    for (int i = 0; i < static_cast<int>(kTools.size()); ++i) {
        const Tool& tool = kTools[static_cast<std::size_t>(i)];
        auto* button = new QToolButton(m_toolStrip);
        button->setObjectName(QStringLiteral("Command6_%1").arg(i));
        button->setGeometry(TwipsRect(tool.left, 18, 510, 350));
        // Drawn here from the SVG: an icon made from the file would load Qt's icon engine
        // and image-format plugins at start-up for five small pictures.
        const QSize iconSize = TwipsSize(330, 300);
        button->setIcon(QIcon(RenderSvg(QString::fromLatin1(tool.icon), iconSize)));
        button->setIconSize(iconSize);
        button->setToolTip(QString::fromUtf8(tool.hint));
        button->setAutoRaise(true);
        button->setFocusPolicy(Qt::NoFocus);
        connect(button, &QToolButton::clicked, this, [this, i] { toolButtonClicked(i); });
        m_toolButtons[static_cast<std::size_t>(i)] = button;
    }

    // Right of the tool buttons: what the results follow, and the day of the trade.
    const QFont font = SongFont(9);
    m_feeModelLabel = MakeLabel(m_toolStrip, QStringLiteral("Label18"), QString(),
                                TwipsRect(4095, 45, 1740, 330), font, Qt::AlignCenter);
    // A status cell, set apart from the date field that follows.
    m_feeModelLabel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_feeModelLabel->setToolTip(QStringLiteral("结果所依据的费率: 经典参数为设置参数中的费率, "
                                               "官方规则为交易日施行的官方收费加券商佣金条款"));
    QLabel* dateCaption =
        MakeLabel(m_toolStrip, QStringLiteral("Label19"), QStringLiteral("交易日(&T):"),
                  TwipsRect(5850, 60, 900, 300), font, Qt::AlignRight | Qt::AlignVCenter);
    m_tradeDate = MakeDateField(m_toolStrip, QStringLiteral("DTPicker1"),
                                TwipsRect(6765, 45, 1260, 330), font);
    Caption(dateCaption, m_tradeDate);
    // Reached by Tab after the selectors, or by Alt+T.
    setTabOrder(m_typeOptions.back().button, m_tradeDate);
    connect(m_tradeDate, &QDateEdit::dateChanged, this, &MainWindow::tradeDateChanged);
}

void MainWindow::buildInputPanel() {
    m_inputPanel = MakePanel(this, QStringLiteral("Picture1"),
                             TwipsRect(kInputLeft, kInputTop, 3000, 5250), kInputPanelColor);

    const QFont optionFont = SongFont(10.5);
    auto* frame1 = new QGroupBox(QStringLiteral("市场"), m_inputPanel);
    frame1->setObjectName(QStringLiteral("Frame1"));
    frame1->setGeometry(TwipsRect(120, 60, 2760, 660));
    frame1->setFont(optionFont);
    for (std::size_t i = 0; i < kMarketOptions.size(); ++i) {
        const OptionPlace<Market>& place = kMarketOptions[i];
        m_marketOptions[i] = {place.value, MakeOption(frame1, QLatin1String(place.name),
                                                      QString::fromUtf8(place.caption),
                                                      At(place.at), optionFont)};
    }

    auto* frame2 = new QGroupBox(QStringLiteral("类型"), m_inputPanel);
    frame2->setObjectName(QStringLiteral("Frame2"));
    frame2->setGeometry(TwipsRect(120, 780, 2760, 1020));
    frame2->setFont(optionFont);
    for (std::size_t i = 0; i < kTypeOptions.size(); ++i) {
        const OptionPlace<SecurityType>& place = kTypeOptions[i];
        m_typeOptions[i] = {place.value,
                            MakeOption(frame2, QLatin1String(place.name),
                                       QString::fromUtf8(place.caption), At(place.at), optionFont)};
        if (place.value == SecurityType::BShare) {
            m_typeOptions[i].button->setToolTip(QStringLiteral("上海:美元(USD) , 深圳:港币(HKD)"));
        }
    }

    const QFont captionFont = SongFont(10.5);
    const QFont entryFont = SongFont(10.5, true);
    QLabel* buyCaption =
        MakeLabel(m_inputPanel, QStringLiteral("Label1"), QStringLiteral("买入价格：(元)"),
                  TwipsRect(180, 1900, 2640, 270), captionFont);
    m_buyPrice = MakeEntry(m_inputPanel, QStringLiteral("Text1"), TwipsRect(180, 2170, 2640, 360),
                           static_cast<int>(kPriceFieldLength), entryFont, kEntryFieldColor);
    Caption(buyCaption, m_buyPrice);
    QLabel* sellCaption =
        MakeLabel(m_inputPanel, QStringLiteral("Label2"), QStringLiteral("卖出价格：(元)"),
                  TwipsRect(180, 2620, 2640, 270), captionFont);
    m_sellPrice = MakeEntry(m_inputPanel, QStringLiteral("Text3"), TwipsRect(180, 2890, 2640, 360),
                            static_cast<int>(kPriceFieldLength), entryFont, kEntryFieldColor);
    Caption(sellCaption, m_sellPrice);
    QLabel* quantityCaption =
        MakeLabel(m_inputPanel, QStringLiteral("Label6"), QStringLiteral("买卖数量：(股)"),
                  TwipsRect(180, 3340, 2640, 270), captionFont);
    quantityCaption->setToolTip(
        QStringLiteral("卖出可为零股,买入必须为n手(注:上海B股1手=1000股,其余1手=100股)"));
    m_quantity = MakeEntry(m_inputPanel, QStringLiteral("Text2"), TwipsRect(180, 3610, 2640, 360),
                           static_cast<int>(kQuantityFieldLength), entryFont, kEntryFieldColor);
    m_quantity->setFractionAllowed(false);
    Caption(quantityCaption, m_quantity);
    setTabOrder(m_buyPrice, m_sellPrice);
    setTabOrder(m_sellPrice, m_quantity);
    QWidget* previous = m_quantity;
    for (const MarketOption& option : m_marketOptions) {
        setTabOrder(previous, option.button);
        previous = option.button;
    }
    for (const TypeOption& option : m_typeOptions) {
        setTabOrder(previous, option.button);
        previous = option.button;
    }

    // The small push buttons carry the actions and the access keys; the button fields
    // are what the user sees and clicks.
    m_calculateButton =
        MakeActionButton(m_inputPanel, QStringLiteral("Command1"), QStringLiteral("计   算(&D)"),
                         TwipsRect(2880 - 264, 4150, 264, 200));
    m_clearButton =
        MakeActionButton(m_inputPanel, QStringLiteral("Command5"), QStringLiteral("清   空(&R)"),
                         TwipsRect(2880 - 204, 4400, 204, 200));
    m_exitButton =
        MakeActionButton(m_inputPanel, QStringLiteral("Command2"), QStringLiteral("退   出(&X)"),
                         TwipsRect(2880 - 132, 4700, 132, 200));
    for (QPushButton* button : {m_calculateButton, m_clearButton, m_exitButton}) {
        button->hide();
    }
    connect(m_calculateButton, &QPushButton::clicked, this, &MainWindow::calculate);
    connect(m_clearButton, &QPushButton::clicked, this, &MainWindow::clearInputs);
    connect(m_exitButton, &QPushButton::clicked, this, &MainWindow::exitProgram);

    const ButtonFieldStyle style{SongFont(12), kInputPanelColor, kHoverFrameColor,
                                 kFocusFrameColor};
    m_calculateField =
        MakeButtonField(m_inputPanel, QStringLiteral("Text4"), QStringLiteral("计 算(D)"),
                        TwipsRect(180, 4150, 1260, 420), style, m_calculateButton,
                        QStringLiteral("Shape3_0"), QStringLiteral("Shape3_1"));
    m_clearField =
        MakeButtonField(m_inputPanel, QStringLiteral("Text5"), QStringLiteral("清 除(C)"),
                        TwipsRect(1560, 4150, 1260, 420), style, m_clearButton,
                        QStringLiteral("Shape4_0"), QStringLiteral("Shape4_1"));
    m_exitField =
        MakeButtonField(m_inputPanel, QStringLiteral("Text6"), QStringLiteral("退    出 (X)"),
                        TwipsRect(180, 4700, 2640, 420), style, m_exitButton,
                        QStringLiteral("Shape5_0"), QStringLiteral("Shape5_1"));
    m_buttonFields = new ButtonFieldGroup(this);
    for (ButtonField* field : {m_calculateField, m_clearField, m_exitField}) {
        m_buttonFields->add(field);
    }
    // Moving the mouse over the panels takes the hover frames away.
    for (QWidget* area :
         {static_cast<QWidget*>(m_inputPanel), static_cast<QWidget*>(m_panels.a.picture),
          static_cast<QWidget*>(m_panels.b.picture)}) {
        m_buttonFields->watchArea(area);
    }
}

} // namespace ym::ui
