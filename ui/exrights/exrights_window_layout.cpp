// The controls of the ex-rights window and their places, in twips.
#include "ui/common/button_field.h"
#include "ui/common/colors.h"
#include "ui/common/controls.h"
#include "ui/common/entry_field.h"
#include "ui/common/fonts.h"
#include "ui/common/title_strip.h"
#include "ui/common/twips.h"
#include "ui/exrights/exrights_window.h"

#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

namespace ym::ui {

namespace {

constexpr QColor kTitleTextColor(0, 0, 128);
constexpr QColor kBannerColor(128, 0, 128);
constexpr QColor kHandleColor(0, 0, 128);
constexpr QColor kHoverFrameColor(0, 0, 128);
constexpr QColor kFocusFrameColor(0, 0, 0);

constexpr double kClientWidth = 6495;
constexpr double kClientHeight = 4710;
constexpr double kTitleStripHeight = 900;

// Price fields left and right, the compute and clear button fields between them.
constexpr double kPriceTop = 1320;
constexpr double kPriceWidth = 1980;
constexpr double kPriceHeight = 420;
constexpr double kBeforeLeft = 180;
constexpr double kAfterLeft = kClientWidth - 180 - kPriceWidth;
constexpr double kMiddleLeft = 2400;
constexpr double kMiddleWidth = kAfterLeft - 240 - kMiddleLeft;
constexpr double kClearTop = 1860;

// The plan group and its rows, relative to the group.
constexpr double kPlanTop = 2460;
constexpr double kPlanHeight = 1620;
constexpr double kRowTop = 300;
constexpr double kRowPitch = 420;
constexpr double kRowHeight = 360;
constexpr double kCheckLeft = 150;
constexpr double kLabelLeft = 1140;
constexpr double kFieldLeft = 2340;
constexpr double kFieldWidth = 1170;
constexpr double kPriceLabelLeft = 3690;
constexpr double kRightsPriceLeft = 4890;
constexpr double kRightsPriceWidth = 1110;

constexpr double kBottomTop = 4200;

} // namespace

void ExRightsWindow::buildControls() {
    setObjectName(QStringLiteral("Form4"));
    setFixedSize(TwipsSize(kClientWidth, kClientHeight));

    // The push buttons carry the access keys and the three actions. They stay shown, so
    // their access keys work, but lie under the panel: the button fields are what the
    // user sees and clicks.
    const double tiny = 180;
    m_exitButton =
        MakeActionButton(this, QStringLiteral("Command1"), QStringLiteral("退    出(&X)"),
                         TwipsRect(kClientWidth - 360, kBottomTop + 120, tiny, 210));
    m_computeButton = MakeActionButton(this, QStringLiteral("Command2"), QStringLiteral("等于★==>"),
                                       TwipsRect(kMiddleLeft + 120, kPriceTop + 120, tiny, 210));
    m_computeButton->setToolTip(QStringLiteral("计算键:表示\"等价于\""));
    m_clearButton = MakeActionButton(this, QStringLiteral("Command3"), QStringLiteral("清  空(&C)"),
                                     TwipsRect(kMiddleLeft + 120, kClearTop + 120, tiny, 210));

    m_panel = MakePanel(this, QStringLiteral("Picture2"),
                        TwipsRect(0, 0, kClientWidth, kClientHeight), kLightBlue);
    buildTitleStrip();
    buildPrices();
    buildPlan();
    buildBottom();

    m_buttonFields = new ButtonFieldGroup(this);
    for (ButtonField* field : {m_exitField, m_computeField, m_clearField}) {
        m_buttonFields->add(field);
    }
    // Moving the mouse over the plan or the bare panel takes the hover frames away.
    m_buttonFields->watchArea(m_planGroup);
    m_buttonFields->watchArea(m_panel);

    // The push buttons are tab stops in their own right, under the panel: a button field
    // shows its frames while its push button has the focus, and Enter presses it.
    for (QPushButton* button : {m_exitButton, m_computeButton, m_clearButton}) {
        button->setFocusPolicy(Qt::TabFocus);
        button->setAutoDefault(true);
    }
    QWidget* previous = m_priceBefore;
    for (QWidget* next : std::initializer_list<QWidget*>{
             m_priceAfter, m_exitButton, m_bonusCheck, m_rightsCheck, m_cashCheck, m_computeButton,
             m_bonusShares, m_rightsShares, m_rightsPrice, m_cash, m_clearButton}) {
        setTabOrder(previous, next);
        previous = next;
    }

    // Compute is available, clear is not; every plan row is off.
    setAvailable(m_clearButton, m_clearField, false);
    for (const PlanRow& row : m_rows) {
        planRowClicked(row);
    }
}

void ExRightsWindow::buildTitleStrip() {
    MakePicture(m_panel, QStringLiteral("Picture3"), TwipsRect(90, 90, 420, 375),
                QStringLiteral(":/artwork/exrights-title.svg"));
    QLabel* title =
        MakeLabel(m_panel, QStringLiteral("Label1"), QStringLiteral("除权、除息价计算器"),
                  TwipsRect(600, 45, 3300, 420), LishuFont(13.5, true));
    QFont bannerFont = ScriptFont(15.75, true);
    bannerFont.setUnderline(true);
    QLabel* banner =
        MakeLabel(m_panel, QStringLiteral("Label5"), QStringLiteral("    Yuanmate v5.5     "),
                  TwipsRect(420, 450, 3000, 420), bannerFont);
    QLabel* credit = MakeLabel(m_panel, QStringLiteral("Label2"), QStringLiteral("Yuanmate 开发组"),
                               TwipsRect(3480, 510, 2835, 330), LishuFont(12, true),
                               Qt::AlignRight | Qt::AlignVCenter);
    SetForeground(title, kTitleTextColor);
    SetForeground(banner, kBannerColor);
    SetForeground(credit, kTitleTextColor);

    MakeDragHandle(m_panel, QStringLiteral("Label7"), TwipsRect(0, 0, 5520, kTitleStripHeight));
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
        const double left = 5610 + 420 * i;
        MakeRectangle(m_panel, ArrayName("Shape4", i), TwipsRect(left, 105, 320, 320), kHandleColor)
            ->show();
        ClickLabel* label =
            MakeWindowButton(m_panel, ArrayName("Label8", i), QString::fromUtf8(handle.text),
                             TwipsRect(left + 10, 115, 300, 300), handle.font, kHandleColor,
                             QString::fromUtf8(handle.tip));
        connect(label, &ClickLabel::clicked, this, [this, i] { titleHandleClicked(i); });
    }
}

void ExRightsWindow::buildPrices() {
    const QFont captionFont = SongFont(10.5);
    const QFont priceFont = SongFont(10.5, true);
    const std::array<std::pair<const char*, const char*>, 2> captions{{
        {"送配前股价:", "除权(息)前的股价"},
        {"送配后股价:", "除权(息)股价"},
    }};
    const std::array<double, 2> lefts{kBeforeLeft, kAfterLeft};
    std::array<EntryField*, 2> fields{};
    for (int i = 0; i < 2; ++i) {
        const auto at = static_cast<std::size_t>(i);
        QLabel* caption =
            MakeLabel(m_panel, ArrayName("Label4", i), QString::fromUtf8(captions[at].first),
                      TwipsRect(lefts[at], 990, kPriceWidth, 300), captionFont);
        caption->setToolTip(QString::fromUtf8(captions[at].second));
        fields[at] = MakeEntry(m_panel, QStringLiteral("Text%1").arg(i + 1),
                               TwipsRect(lefts[at], kPriceTop, kPriceWidth, kPriceHeight),
                               static_cast<int>(kExRightsPriceEntry.maxLength), priceFont, kTeal);
        fields[at]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        Caption(caption, fields[at]);
    }
    m_priceBefore = fields[0];
    m_priceAfter = fields[1];

    const ButtonFieldStyle style{SongFont(9.75), kLightBlue, kHoverFrameColor, kFocusFrameColor};
    m_computeField =
        MakeButtonField(m_panel, ArrayName("Text7", 1), QStringLiteral("等于★==>"),
                        TwipsRect(kMiddleLeft, kPriceTop, kMiddleWidth, kPriceHeight), style,
                        m_computeButton, ArrayName("Shape3", 2), ArrayName("Shape3", 3));
    // The push button's tip explains the caption; the button field is what the mouse finds.
    m_computeField->setToolTip(m_computeButton->toolTip());
    m_clearField =
        MakeButtonField(m_panel, ArrayName("Text7", 2), QStringLiteral("清    除"),
                        TwipsRect(kMiddleLeft, kClearTop, kMiddleWidth, kPriceHeight), style,
                        m_clearButton, ArrayName("Shape3", 4), ArrayName("Shape3", 5));
}

void ExRightsWindow::buildPlan() {
    m_planGroup = new QGroupBox(m_panel);
    m_planGroup->setObjectName(QStringLiteral("Frame1"));
    m_planGroup->setAccessibleName(QStringLiteral("送配情况选择"));
    m_planGroup->setGeometry(
        TwipsRect(kBeforeLeft, kPlanTop, kClientWidth - 2 * kBeforeLeft, kPlanHeight));
    SetBackground(m_planGroup, kLightBlue);
    // The heading sits on the group's top edge, where a group's own title would be.
    QLabel* heading = MakeLabel(m_panel, QStringLiteral("Label6"), QStringLiteral("送配情况选择:"),
                                TwipsRect(kBeforeLeft + 150, kPlanTop - 135, 1500, 270),
                                SongFont(9, true), Qt::AlignCenter);
    SetBackground(heading, kLightBlue);
    heading->raise();

    const QFont captionFont = SongFont(9);
    const QFont fieldFont = SongFont(9, true);
    auto row = [&](int i) { return kRowTop + kRowPitch * i; };
    auto label = [&](int index, const char* text, double left, double width, int rowIndex) {
        QLabel* l = MakeLabel(m_planGroup, ArrayName("Label3", index), QString::fromUtf8(text),
                              TwipsRect(left, row(rowIndex), width, kRowHeight), captionFont);
        QPalette palette = l->palette();
        palette.setColor(QPalette::Disabled, QPalette::WindowText, kGreyText);
        l->setPalette(palette);
        m_planLabels[static_cast<std::size_t>(index)] = l;
        return l;
    };
    auto field = [&](const char* name, double left, double width, int rowIndex,
                     const ExRightsEntry& entry) {
        EntryField* f = MakeEntry(m_planGroup, QLatin1String(name),
                                  TwipsRect(left, row(rowIndex), width, kRowHeight),
                                  static_cast<int>(entry.maxLength), fieldFont, kTeal);
        f->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        return f;
    };
    auto check = [&](const char* name, const char* text, int rowIndex) {
        return MakeCheckBox(
            m_planGroup, QLatin1String(name), QString::fromUtf8(text),
            TwipsRect(kCheckLeft, row(rowIndex), kLabelLeft - kCheckLeft, kRowHeight), captionFont);
    };

    const double labelWidth = kFieldLeft - kLabelLeft;
    m_bonusCheck = check("Check1", "送股", 0);
    label(0, "10送:(股)", kLabelLeft, labelWidth, 0);
    m_bonusShares = field("Text3", kFieldLeft, kFieldWidth, 0, kBonusEntry);

    m_rightsCheck = check("Check2", "配股", 1);
    label(1, "10配:(股)", kLabelLeft, labelWidth, 1);
    m_rightsShares = field("Text4", kFieldLeft, kFieldWidth, 1, kRightsEntry);
    label(3, "配股价：(元)", kPriceLabelLeft, kRightsPriceLeft - kPriceLabelLeft, 1);
    m_rightsPrice = field("Text5", kRightsPriceLeft, kRightsPriceWidth, 1, kRightsPriceEntry);

    m_cashCheck = check("Check3", "送现金", 2);
    label(2, "10送:(元)", kLabelLeft, labelWidth, 2);
    m_cash = field("Text6", kFieldLeft, kFieldWidth, 2, kCashEntry);

    ExRightsPlan& plan = m_calc.plan;
    m_rows[0] = {m_bonusCheck,
                 {m_planLabels[0], nullptr},
                 {m_bonusShares, nullptr},
                 {&plan.bonusPer10, nullptr}};
    m_rows[1] = {m_rightsCheck,
                 {m_planLabels[1], m_planLabels[3]},
                 {m_rightsShares, m_rightsPrice},
                 {&plan.rightsPer10, &plan.rightsPrice}};
    m_rows[2] = {
        m_cashCheck, {m_planLabels[2], nullptr}, {m_cash, nullptr}, {&plan.cashPer10, nullptr}};

    // A plan field is named by its row and its caption: "10送" alone would name two.
    for (const PlanRow& planRow : m_rows) {
        for (std::size_t i = 0; i < planRow.fields.size(); ++i) {
            if (planRow.fields[i] != nullptr) {
                Caption(planRow.labels[i], planRow.fields[i]);
                planRow.fields[i]->setAccessibleName(planRow.check->text() + QLatin1Char(' ') +
                                                     planRow.fields[i]->accessibleName());
            }
        }
    }
}

void ExRightsWindow::buildBottom() {
    QLabel* picture = MakePicture(m_panel, QStringLiteral("Picture1"),
                                  TwipsRect(kBeforeLeft, kBottomTop + 30, 1815, 360),
                                  QStringLiteral(":/artwork/exrights-mail.svg"));
    picture->setToolTip(QStringLiteral("E-mail:support@yuanmate.example"));

    const ButtonFieldStyle style{SongFont(10.5), kLightBlue, kHoverFrameColor, kFocusFrameColor};
    m_exitField =
        MakeButtonField(m_panel, ArrayName("Text7", 0), QStringLiteral("退    出"),
                        TwipsRect(kAfterLeft + 180, kBottomTop, kPriceWidth - 180, kPriceHeight),
                        style, m_exitButton, ArrayName("Shape3", 0), ArrayName("Shape3", 1));
}

} // namespace ym::ui
