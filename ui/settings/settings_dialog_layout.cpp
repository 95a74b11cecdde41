// The controls of the parameter settings dialog and their places, in twips.
#include "core/display_scheme.h"
#include "core/fee_parameters.h"
#include "ui/common/colors.h"
#include "ui/common/controls.h"
#include "ui/common/fonts.h"
#include "ui/common/text.h"
#include "ui/common/title_strip.h"
#include "ui/common/twips.h"
#include "ui/settings/parameter_field.h"
#include "ui/settings/settings_dialog.h"

#include <QComboBox>
#include <QPushButton>
#include <QTabWidget>

namespace ym::ui {

namespace {

constexpr double kClientWidth = 7800;
constexpr double kClientHeight = 6240;
constexpr double kTabLeft = 120;
constexpr double kTabTop = 120;
constexpr double kTabWidth = 7560;
constexpr double kTabHeight = 5340;

// Parameter pages: indices 0..13 down the left column, the rest down the right one.
constexpr int kRowsPerColumn = 14;
constexpr double kRowTop = 150;
constexpr double kRowPitch = 330;
constexpr double kRowHeight = 300;
constexpr double kColumnLefts[] = {150, 3870};
constexpr double kCaptionWidth = 2130;
constexpr double kFieldWidth = 1260;
// A number text never needs more; a longer paste is refused, not cut.
constexpr int kFieldMaxLength = 64;

// Buttons of the same size side by side under the tabs, Cancel on the left.
constexpr double kButtonTop = 5610;
constexpr double kButtonWidth = 1800;
constexpr double kButtonHeight = 420;
constexpr double kButtonGap = 360;

// Scheme page rows: caption, list, colour bar.
constexpr double kSchemeCaptionLeft = 450;
constexpr double kSchemeCaptionWidth = 1950;
constexpr double kSchemeListLeft = 2430;
constexpr double kSchemeListWidth = 2520;
constexpr double kSchemeBarLeft = 5250;
constexpr double kSchemeBarWidth = 1800;
constexpr double kSchemeRowHeight = 330;
constexpr double kSchemeRowTops[] = {600, 1800, 2640, 3480};
constexpr double kSchemeLineTops[] = {1320, 4260};
constexpr double kSchemeLineLeft = 300;
constexpr double kSchemeLineWidth = 6900;

const QColor kSeparatorColor(128, 128, 128);

// The bars' colours before any scheme is shown on them.
constexpr ColorRef kInitialPanelBar = 0x00FF8080;
constexpr ColorRef kInitialTextBar = 0x00404040;
constexpr ColorRef kInitialLineBar = 0x00FFFF00;

QStringList SlotNames(const std::vector<int>& slotList) {
    QStringList names;
    for (const int slot : slotList) {
        names << FromUtf8(kSlotNames[static_cast<std::size_t>(slot)]);
    }
    return names;
}

} // namespace

void SettingsDialog::buildControls() {
    setObjectName(QStringLiteral("Form3"));
    setFixedSize(TwipsSize(kClientWidth, kClientHeight));
    const QFont font = SongFont(9);
    setFont(font);

    MakeLine(this, QStringLiteral("Line1"), 0, 0, kClientWidth, kSeparatorColor);

    m_pages = new QTabWidget(this);
    m_pages->setObjectName(QStringLiteral("SSTab1"));
    m_pages->setGeometry(TwipsRect(kTabLeft, kTabTop, kTabWidth, kTabHeight));
    m_pages->setFont(font);
    m_pages->addTab(buildParameterPage(QStringLiteral("Page_0"), false, m_shanghaiFields),
                    QStringLiteral("上  海(USD)"));
    m_pages->addTab(buildParameterPage(QStringLiteral("Page_1"), true, m_shenzhenFields),
                    QStringLiteral("深  圳(HKD)"));
    m_pages->addTab(buildSchemePage(), QStringLiteral("系统设置"));
    m_pages->addTab(buildFeeRulesPage(), QStringLiteral("费率规则"));

    const double left = (kClientWidth - 2 * kButtonWidth - kButtonGap) / 2;
    m_cancelButton = new QPushButton(QStringLiteral("取    消(&C)"), this);
    m_cancelButton->setObjectName(QStringLiteral("Command1"));
    m_cancelButton->setGeometry(TwipsRect(left, kButtonTop, kButtonWidth, kButtonHeight));
    m_okButton = new QPushButton(QStringLiteral("确    定(&O)"), this);
    m_okButton->setObjectName(QStringLiteral("Command2"));
    m_okButton->setGeometry(
        TwipsRect(left + kButtonWidth + kButtonGap, kButtonTop, kButtonWidth, kButtonHeight));
    for (QPushButton* button : {m_cancelButton, m_okButton}) {
        button->setFont(font);
        // Enter on a button that has the focus presses it.
        button->setAutoDefault(true);
    }

    // The fields of a page in index order, then the buttons.
    for (auto* fields : {&m_shanghaiFields, &m_shenzhenFields}) {
        for (std::size_t i = 1; i < fields->size(); ++i) {
            setTabOrder((*fields)[i - 1], (*fields)[i]);
        }
    }
}

QWidget* SettingsDialog::buildParameterPage(const QString& name, bool shenzhen,
                                            std::vector<ParameterField*>& fields) {
    auto* page = new QWidget();
    page->setObjectName(name);
    const std::size_t count = shenzhen ? kShenzhenParameterCount : kShanghaiParameterCount;
    const char* captionArray = shenzhen ? "Label2" : "Label1";
    const char* fieldArray = shenzhen ? "Text3" : "Text2";
    const QFont font = SongFont(9);
    for (std::size_t i = 0; i < count; ++i) {
        const int index = static_cast<int>(i);
        const double left = kColumnLefts[index / kRowsPerColumn];
        const double top = kRowTop + (index % kRowsPerColumn) * kRowPitch;
        const ParameterInfo& info = kParameters[i];
        QLabel* caption = MakeLabel(page, ArrayName(captionArray, index),
                                    FromUtf8(shenzhen ? info.shenzhenLabel : info.shanghaiLabel),
                                    TwipsRect(left, top, kCaptionWidth, kRowHeight), font);

        auto* field = new ParameterField(page);
        field->setObjectName(ArrayName(fieldArray, index));
        field->setGeometry(TwipsRect(left + kCaptionWidth, top, kFieldWidth, kRowHeight));
        field->setFont(font);
        field->setMaxLength(kFieldMaxLength);
        Caption(caption, field);
        field->setKeyPress(
            [this, &fields, index](char32_t& ch) { fieldKeyPress(fields, index, ch); });
        field->setPasteCheck(
            [this, field](const QString& result) { return acceptsPaste(field, result); });
        // Delete, cut and undo change the text without a character key: still a change.
        connect(field, &QLineEdit::textEdited, this, [this] { m_changed = true; });
        fields.push_back(field);
    }
    return page;
}

QWidget* SettingsDialog::buildSchemePage() {
    auto* page = new QWidget();
    page->setObjectName(QStringLiteral("Page_2"));
    const QFont font = SongFont(9);
    const auto caption = [&](const char* name, const char* text, int row) {
        MakeLabel(page, QLatin1String(name), QString::fromUtf8(text),
                  TwipsRect(kSchemeCaptionLeft, kSchemeRowTops[row], kSchemeCaptionWidth,
                            kSchemeRowHeight),
                  font);
    };
    const auto list = [&](const char* name, const QStringList& items, int row) {
        return MakeCombo(
            page, QLatin1String(name), items,
            TwipsRect(kSchemeListLeft, kSchemeRowTops[row], kSchemeListWidth, kSchemeRowHeight),
            font);
    };
    const auto bar = [&](const char* name, ColorRef initial, int row) {
        auto* label = new ClickLabel(page);
        label->setObjectName(QLatin1String(name));
        label->setGeometry(
            TwipsRect(kSchemeBarLeft, kSchemeRowTops[row], kSchemeBarWidth, kSchemeRowHeight));
        // A plain outline keeps a light colour apart from the page.
        label->setFrameStyle(QFrame::Box | QFrame::Plain);
        SetBackground(label, SchemeColor(initial));
        label->setEnabled(false);
        return label;
    };

    QStringList schemes;
    for (const std::string_view scheme : kSchemeNames) {
        schemes << FromUtf8(scheme);
    }
    schemes << QStringLiteral("自定义方案");
    caption("Label3", "显示板显示方案:", 0);
    m_schemeList = list("Combo1", schemes, 0);

    m_panelRow.itemSlots = {kSlotAPanel, kSlotBPanel};
    caption("Label4", "显示面板颜色：", 1);
    m_panelRow.list = list("Combo4", SlotNames(m_panelRow.itemSlots), 1);
    m_panelRow.bar = bar("Label5", kInitialPanelBar, 1);

    m_textRow.itemSlots = {kSlotDescription, kSlotNormal, kSlotProfit,
                           kSlotFlat,        kSlotLoss,   kSlotBreakEven};
    caption("Label6", "显示文字颜色：", 2);
    m_textRow.list = list("Combo2", SlotNames(m_textRow.itemSlots), 2);
    m_textRow.bar = bar("Label7", kInitialTextBar, 2);

    m_lineRow.itemSlots = {kSlotALines, kSlotBLines};
    caption("Label8", "其它项目颜色：", 3);
    m_lineRow.list = list("Combo3", SlotNames(m_lineRow.itemSlots), 3);
    m_lineRow.bar = bar("Label9", kInitialLineBar, 3);

    for (int i = 0; i < 2; ++i) {
        MakeLine(page, ArrayName("Line2", i), kSchemeLineLeft, kSchemeLineTops[i], kSchemeLineWidth,
                 kSeparatorColor);
    }

    // A list's choice shows on its bar; a click on the bar picks a colour for the choice.
    connect(m_schemeList, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index >= 0) {
            schemeChosen();
        }
    });
    for (ColorRow* row : {&m_panelRow, &m_textRow, &m_lineRow}) {
        connect(row->list, &QComboBox::currentIndexChanged, this, [this, row](int index) {
            if (index >= 0) {
                showSlotColor(*row);
            }
        });
        connect(row->bar, &ClickLabel::clicked, this, [this, row] { pickColor(*row); });
    }
    return page;
}

} // namespace ym::ui
