// The controls of the main window and their places, in twips.
#include "ui/common/button_field.h"
#include "ui/common/colors.h"
#include "ui/common/fonts.h"
#include "ui/common/title_strip.h"
#include "ui/common/twips.h"
#include "ui/main/entry_field.h"
#include "ui/main/main_window.h"

#include <QApplication>
#include <QFrame>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QSvgRenderer>
#include <QToolButton>

// The artwork lives in this static library; referencing its initialiser keeps the linker
// from dropping it.
static void InitArtwork() {
    Q_INIT_RESOURCE(artwork);
}

namespace ym::ui {

namespace {

constexpr ColorRef kTitleStripColor = 0x00C00000;
constexpr ColorRef kTitleTextColor = 0x00FFFF80;
constexpr ColorRef kHandleColor = 0x0000FF00;
constexpr ColorRef kToolStripColor = 0x00FF8080;
constexpr ColorRef kInputPanelColor = 0x00FFC0C0;
constexpr ColorRef kEntryFieldColor = 0x00C0C000;
constexpr ColorRef kWindowColor = 0x00E0C0C0;
constexpr ColorRef kHoverFrameColor = 0x00800000;
constexpr ColorRef kFocusFrameColor = 0x00000000;

// The result panels on the left, the input panel on the right of the working area.
constexpr double kResultLeft = 90;
constexpr double kResultTop = 800;
constexpr double kInputLeft = 5070;
constexpr double kInputTop = 760;

QLabel* MakeLabel(QWidget* parent, const QString& name, const QString& text, const QRect& where,
                  const QFont& font) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setGeometry(where);
    label->setFont(font);
    return label;
}

QFrame* MakePanel(QWidget* parent, const QString& name, const QRect& where, ColorRef color) {
    auto* panel = new QFrame(parent);
    panel->setObjectName(name);
    panel->setFrameShape(QFrame::NoFrame);
    panel->setGeometry(where);
    SetBackground(panel, Rgb(color));
    return panel;
}

QRadioButton* MakeOption(QWidget* parent, const QString& name, const QString& text,
                         const QRect& where) {
    auto* option = new QRadioButton(text, parent);
    option->setObjectName(name);
    option->setGeometry(where);
    option->setFont(SongFont(10.5));
    return option;
}

EntryField* MakeEntry(QWidget* parent, const QString& name, const QRect& where, int maxLength) {
    auto* field = new EntryField(parent);
    field->setObjectName(name);
    field->setGeometry(where);
    field->setMaxLength(maxLength);
    field->setFont(SongFont(10.5, true));
    field->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    SetBackground(field, Rgb(kEntryFieldColor));
    return field;
}

// The frames round a button field: the hover frame a little further out than the focus
// frame, so both can be seen at once.
QRect AroundField(const QRect& field, int margin) {
    return field.adjusted(-margin, -margin, margin, margin);
}

QPixmap RenderSvg(const QString& resource, const QSize& size) {
    const qreal ratio = qApp->devicePixelRatio();
    QPixmap pixmap(size * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QSvgRenderer renderer(resource);
    QPainter painter(&pixmap);
    renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
    return pixmap;
}

} // namespace

void Form1::buildControls() {
    InitArtwork();
    setObjectName(QStringLiteral("Form1"));
    setFixedSize(TwipsSize(8115, 6480));
    SetBackground(this, Rgb(kWindowColor));
    buildTitleStrip();
    m_panels = BuildResultPanels(this, kResultLeft, kResultTop);
    buildInputPanel();
    buildToolStrip();
}

void Form1::buildTitleStrip() {
    m_picture5 =
        MakePanel(this, QStringLiteral("Picture5"), TwipsRect(0, 0, 8100, 720), kTitleStripColor);
    MakeRectangle(m_picture5, QStringLiteral("Shape1_0"), TwipsRect(20, 20, 8060, 680),
                  Rgb(kTitleTextColor))
        ->show();
    MakeRectangle(m_picture5, QStringLiteral("Shape1_1"), TwipsRect(20, 20, 8060, 680),
                  Rgb(kTitleTextColor))
        ->show();

    auto* image = new QLabel(m_picture5);
    image->setObjectName(QStringLiteral("Image1"));
    image->setGeometry(TwipsRect(90, 120, 465, 465));
    image->setPixmap(RenderSvg(QStringLiteral(":/artwork/logo.svg"), image->size()));

    QLabel* name = MakeLabel(m_picture5, QStringLiteral("Label11"), QStringLiteral("交易小算盘"),
                             TwipsRect(360, 60, 2300, 360), LishuFont(18, true));
    name->setAlignment(Qt::AlignCenter);
    QLabel* version =
        MakeLabel(m_picture5, QStringLiteral("Label12"), QStringLiteral("Yuanmate v5.5"),
                  TwipsRect(420, 380, 2000, 280), ComicFont(11.25, true));
    version->setAlignment(Qt::AlignCenter);
    auto* underline = new QFrame(m_picture5);
    underline->setObjectName(QStringLiteral("Line2"));
    QRect line = TwipsRect(500, 415, 2000, 15);
    line.setHeight(1);
    underline->setGeometry(line);
    SetBackground(underline, Rgb(kTitleTextColor));
    QLabel* credit =
        MakeLabel(m_picture5, QStringLiteral("Label16"), QStringLiteral("Yuanmate 开发组"),
                  TwipsRect(3450, 380, 3600, 300), LishuFont(12, true));
    credit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    for (QLabel* label : {name, version, credit}) {
        SetForeground(label, Rgb(kTitleTextColor));
    }

    auto* drag = new DragHandle(m_picture5);
    drag->setObjectName(QStringLiteral("Label17"));
    drag->setGeometry(TwipsRect(20, 20, 7100, 700));
    drag->raise();

    MakeRectangle(m_picture5, QStringLiteral("Shape2_1"), TwipsRect(7200, 170, 320, 320),
                  Rgb(kHandleColor))
        ->show();
    MakeRectangle(m_picture5, QStringLiteral("Shape2_0"), TwipsRect(7600, 170, 320, 320),
                  Rgb(kHandleColor))
        ->show();
    auto* minimise = new ClickLabel(QStringLiteral("-"), m_picture5);
    minimise->setObjectName(QStringLiteral("Label13"));
    minimise->setGeometry(TwipsRect(7220, 210, 300, 300));
    minimise->setFont(CourierFont(12, true));
    minimise->setAlignment(Qt::AlignCenter);
    minimise->setToolTip(QStringLiteral("最小化"));
    auto* close = new ClickLabel(QStringLiteral("X"), m_picture5);
    close->setObjectName(QStringLiteral("Label15"));
    close->setGeometry(TwipsRect(7620, 200, 300, 300));
    close->setFont(TahomaFont(10, true));
    close->setAlignment(Qt::AlignCenter);
    close->setToolTip(QStringLiteral("关闭"));
    for (QLabel* label : {static_cast<QLabel*>(minimise), static_cast<QLabel*>(close)}) {
        SetForeground(label, Rgb(kHandleColor));
        label->setCursor(Qt::PointingHandCursor);
    }
    connect(minimise, &ClickLabel::clicked, this, &Form1::Label13_Click);
    connect(close, &ClickLabel::clicked, this, &Form1::Label15_Click);
}

void Form1::buildToolStrip() {
    m_picture3 =
        MakePanel(this, QStringLiteral("Picture3"), TwipsRect(8, 6050, 8088, 420), kToolStripColor);
    struct Tool {
        double left;
        const char* icon;
        const char* hint;
    };
    // Index order; seen from the left they run 0, 1, 3, 2, 4.
    static const std::array<Tool, 5> kTools{{
        {240, ":/artwork/calculator.svg", "计算器(F2)"},
        {924, ":/artwork/notebook.svg", "记事本(F3)"},
        {2256, ":/artwork/settings.svg", "设置参数(F5)"},
        {1584, ":/artwork/exrights.svg", "除权、除息价计算器(F4)"},
        {2928, ":/artwork/about.svg", "关于(F6),帮助(F1)"},
    }};
    for (int i = 0; i < static_cast<int>(kTools.size()); ++i) {
        const Tool& tool = kTools[static_cast<std::size_t>(i)];
        auto* button = new QToolButton(m_picture3);
        button->setObjectName(QStringLiteral("Command6_%1").arg(i));
        button->setGeometry(TwipsRect(tool.left, 18, 510, 350));
        button->setIcon(QIcon(QString::fromLatin1(tool.icon)));
        button->setIconSize(TwipsSize(330, 300));
        button->setToolTip(QString::fromUtf8(tool.hint));
        button->setAutoRaise(true);
        button->setFocusPolicy(Qt::NoFocus);
        connect(button, &QToolButton::clicked, this, [this, i] { Command6_Click(i); });
        m_command6[static_cast<std::size_t>(i)] = button;
    }
}

void Form1::buildInputPanel() {
    m_picture1 = MakePanel(this, QStringLiteral("Picture1"),
                           TwipsRect(kInputLeft, kInputTop, 3000, 5250), kInputPanelColor);

    auto* frame1 = new QGroupBox(QStringLiteral("市场"), m_picture1);
    frame1->setObjectName(QStringLiteral("Frame1"));
    frame1->setGeometry(TwipsRect(120, 60, 2760, 660));
    frame1->setFont(SongFont(10.5));
    m_option1 = MakeOption(frame1, QStringLiteral("Option1"), QStringLiteral("沪市"),
                           TwipsRect(300, 270, 1000, 300));
    m_option2 = MakeOption(frame1, QStringLiteral("Option2"), QStringLiteral("深市"),
                           TwipsRect(1560, 270, 1000, 300));

    auto* frame2 = new QGroupBox(QStringLiteral("类型"), m_picture1);
    frame2->setObjectName(QStringLiteral("Frame2"));
    frame2->setGeometry(TwipsRect(120, 780, 2760, 1020));
    frame2->setFont(SongFont(10.5));
    m_option3 = MakeOption(frame2, QStringLiteral("Option3"), QStringLiteral("A 股"),
                           TwipsRect(180, 270, 800, 300));
    m_option6 = MakeOption(frame2, QStringLiteral("Option6"), QStringLiteral("B 股"),
                           TwipsRect(1000, 270, 800, 300));
    m_option6->setToolTip(QStringLiteral("上海:美元(USD) , 深圳:港币(HKD)"));
    m_option4 = MakeOption(frame2, QStringLiteral("Option4"), QStringLiteral("债券"),
                           TwipsRect(1820, 270, 880, 300));
    m_option5 = MakeOption(frame2, QStringLiteral("Option5"), QStringLiteral("基金"),
                           TwipsRect(180, 630, 800, 300));
    m_option7 = MakeOption(frame2, QStringLiteral("Option7"), QStringLiteral("证券投资基金"),
                           TwipsRect(1000, 630, 1700, 300));

    const QFont captionFont = SongFont(10.5);
    MakeLabel(m_picture1, QStringLiteral("Label1"), QStringLiteral("买入价格：(元)"),
              TwipsRect(180, 1900, 2640, 270), captionFont);
    m_text1 = MakeEntry(m_picture1, QStringLiteral("Text1"), TwipsRect(180, 2170, 2640, 360), 7);
    MakeLabel(m_picture1, QStringLiteral("Label2"), QStringLiteral("卖出价格：(元)"),
              TwipsRect(180, 2620, 2640, 270), captionFont);
    m_text3 = MakeEntry(m_picture1, QStringLiteral("Text3"), TwipsRect(180, 2890, 2640, 360), 7);
    QLabel* quantityCaption =
        MakeLabel(m_picture1, QStringLiteral("Label6"), QStringLiteral("买卖数量：(股)"),
                  TwipsRect(180, 3340, 2640, 270), captionFont);
    quantityCaption->setToolTip(
        QStringLiteral("卖出可为零股,买入必须为n手(注:上海B股1手=1000股,其余1手=100股)"));
    m_text2 = MakeEntry(m_picture1, QStringLiteral("Text2"), TwipsRect(180, 3610, 2640, 360), 9);
    setTabOrder(m_text1, m_text3);
    setTabOrder(m_text3, m_text2);
    QWidget* previous = m_text2;
    for (QRadioButton* option :
         {m_option1, m_option2, m_option3, m_option6, m_option4, m_option5, m_option7}) {
        setTabOrder(previous, option);
        previous = option;
    }

    // The small push buttons carry the actions and the access keys; the button fields
    // are what the user sees and clicks.
    m_command1 = new QPushButton(QStringLiteral("计   算(&D)"), m_picture1);
    m_command1->setObjectName(QStringLiteral("Command1"));
    m_command1->setGeometry(TwipsRect(2880 - 264, 4150, 264, 200));
    m_command5 = new QPushButton(QStringLiteral("清   空(&R)"), m_picture1);
    m_command5->setObjectName(QStringLiteral("Command5"));
    m_command5->setGeometry(TwipsRect(2880 - 204, 4400, 204, 200));
    m_command2 = new QPushButton(QStringLiteral("退   出(&X)"), m_picture1);
    m_command2->setObjectName(QStringLiteral("Command2"));
    m_command2->setGeometry(TwipsRect(2880 - 132, 4700, 132, 200));
    for (QPushButton* button : {m_command1, m_command5, m_command2}) {
        button->setFocusPolicy(Qt::NoFocus);
        button->hide();
    }
    connect(m_command1, &QPushButton::clicked, this, &Form1::Command1_Click);
    connect(m_command5, &QPushButton::clicked, this, &Form1::Command5_Click);
    connect(m_command2, &QPushButton::clicked, this, &Form1::Command2_Click);

    struct Field {
        ButtonField** field;
        const char* name;
        const char* caption;
        QRect where;
        const char* hover;
        const char* focus;
        QPushButton* action;
    };
    const std::array<Field, 3> fields{{
        {&m_text4, "Text4", "计 算(D)", TwipsRect(180, 4150, 1260, 420), "Shape3_0", "Shape3_1",
         m_command1},
        {&m_text5, "Text5", "清 除(C)", TwipsRect(1560, 4150, 1260, 420), "Shape4_0", "Shape4_1",
         m_command5},
        {&m_text6, "Text6", "退    出 (X)", TwipsRect(180, 4700, 2640, 420), "Shape5_0", "Shape5_1",
         m_command2},
    }};
    for (const Field& f : fields) {
        auto* field = new ButtonField(QString::fromUtf8(f.caption), m_picture1);
        field->setObjectName(QString::fromLatin1(f.name));
        field->setGeometry(f.where);
        field->setFont(SongFont(12));
        SetBackground(field, Rgb(kInputPanelColor));
        QFrame* hover = MakeRectangle(m_picture1, QString::fromLatin1(f.hover),
                                      AroundField(f.where, 4), Rgb(kHoverFrameColor));
        QFrame* focus = MakeRectangle(m_picture1, QString::fromLatin1(f.focus),
                                      AroundField(f.where, 2), Rgb(kFocusFrameColor));
        field->setFrames(hover, focus);
        field->setAction(f.action);
        connect(field, &ButtonField::hovered, this, [this, field] { buttonFieldHovered(field); });
        connect(field, &ButtonField::focusEntered, this,
                [this, field] { buttonFieldFocused(field); });
        *f.field = field;
    }

    // Moving the mouse over the panels takes the hover frames away.
    for (QWidget* area :
         {static_cast<QWidget*>(m_picture1), static_cast<QWidget*>(m_panels.a.picture),
          static_cast<QWidget*>(m_panels.b.picture)}) {
        area->setMouseTracking(true);
        area->installEventFilter(this);
    }
}

} // namespace ym::ui
