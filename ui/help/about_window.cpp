#include "ui/help/about_window.h"

#include "ui/common/button_field.h"
#include "ui/common/colors.h"
#include "ui/common/controls.h"
#include "ui/common/fonts.h"
#include "ui/common/key_preview.h"
#include "ui/common/message_box.h"
#include "ui/common/platform.h"
#include "ui/common/title_strip.h"
#include "ui/common/twips.h"
#include "ui/help/help_window.h"

#include <QCloseEvent>
#include <QFrame>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <array>

namespace ym::ui {

namespace {

QPointer<AboutWindow> g_aboutWindow;

constexpr QColor kOrange(255, 192, 128);
constexpr QColor kTitleRed(255, 0, 0);
constexpr QColor kTitleShadow(64, 0, 0);
constexpr QColor kOutlineColor(128, 64, 0);
constexpr QColor kCreditColor(128, 0, 0);
constexpr QColor kSloganColor(0, 0, 128);
constexpr QColor kLinkColor(0, 0, 255);
constexpr QColor kLinkHoverColor(0, 255, 255);
constexpr QColor kHoverFrameColor(128, 0, 0);

const QString kSupportAddress = QStringLiteral("support@yuanmate.example");

// The window in twips.
constexpr double kClientWidth = 5040;
constexpr double kClientHeight = 4875;
// The slogan panel grows upward from just above the link and stops just below the rule
// line.
constexpr int kLinkTop = 4035;
constexpr int kPanelBottom = kLinkTop - 15;
constexpr int kLine1Top = 1050;
constexpr int kPanelLastTop = kLine1Top + 25;
constexpr double kPanelLeft = 2490;
constexpr double kPanelWidth = 2430;

struct Slogan {
    double top, height;
    const char* text;
    QColor color;
};

// The panel's lines from its top edge down, so they rise into view in this order.
const std::array<Slogan, 4> kSlogans{{
    {45, 450, "交易小算盘 Yuanmate V5.5\nYuanmate 开发组 出品", kCreditColor},
    {600, 930, "  中国股民的好助手,愿它能在您操盘过程中，为您的判断提供方便、快捷、准确的数据。",
     kSloganColor},
    {1620, 700, "  \"不用再去交割，您就知道一切细节!\"  Yuanmate帮您成为操盘高手！", kSloganColor},
    {2400, 480, "本软件免费使用，结果仅供参考，请以交割单为准。", kCreditColor},
}};

} // namespace

AboutWindow::AboutWindow(QWidget* owner) : QWidget(owner, Qt::Window | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("关于 Yuanmate V5.5"));
    // Each opening starts afresh with a collapsed panel.
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_QuitOnClose, false);
    buildControls();
    m_keyPreview = new KeyPreview(this, [this](int key) { return handleKey(key); });
    load();
}

void AboutWindow::buildControls() {
    setFixedSize(TwipsSize(kClientWidth, kClientHeight));

    QLabel* picture1 =
        MakePicture(this, QStringLiteral("Picture1"), TwipsRect(0, 0, kClientWidth, kClientHeight),
                    QStringLiteral(":/artwork/about_picture.svg"));
    SetBackground(picture1, kOrange);
    MakeRectangle(picture1, ArrayName("Shape4", 0), TwipsRect(0, 0, kClientWidth, kClientHeight),
                  kOutlineColor)
        ->show();
    MakeRectangle(picture1, ArrayName("Shape4", 1),
                  TwipsRect(60, 60, kClientWidth - 120, kClientHeight - 120), kOutlineColor)
        ->show();
    MakeLine(picture1, QStringLiteral("Line1"), 180, kLine1Top, kClientWidth - 360, kOutlineColor);

    // The shadow copy first, so the red title is drawn over it.
    const QString title = QStringLiteral("Yuanmate v5.5  ");
    SetForeground(MakeLabel(picture1, ArrayName("Label1", 1), title,
                            TwipsRect(240 + 75, 150 + 60, 3000, 600), ScriptFont(18, true)),
                  kTitleShadow);
    SetForeground(MakeLabel(picture1, ArrayName("Label1", 0), title, TwipsRect(240, 150, 3000, 600),
                            ScriptFont(18, true)),
                  kTitleRed);
    SetForeground(MakeLabel(picture1, QStringLiteral("Label2"), QStringLiteral("For Win9X/NT"),
                            TwipsRect(960, 750, 1800, 270), TahomaFont(9, true)),
                  kTitleRed);

    m_sloganPanel = MakePanel(picture1, QStringLiteral("Frame1"), QRect(), kOrange);
    for (int i = 0; i < static_cast<int>(kSlogans.size()); ++i) {
        const Slogan& slogan = kSlogans[static_cast<std::size_t>(i)];
        QLabel* label =
            MakeLabel(m_sloganPanel, ArrayName("Label10", i), QString::fromUtf8(slogan.text),
                      TwipsRect(60, slogan.top, kPanelWidth - 120, slogan.height), SongFont(9),
                      Qt::AlignLeft | Qt::AlignTop);
        label->setWordWrap(true);
        SetForeground(label, slogan.color);
    }

    const std::array<const char*, 3> credits{"设计：Yuanmate 开发组", "制作：Yuanmate 开发组",
                                             "发布：2001 年 5 月"};
    std::array<QLabel*, 3> creditLabels{};
    for (std::size_t i = 0; i < credits.size(); ++i) {
        creditLabels[i] =
            MakeLabel(picture1, QStringLiteral("Label%1").arg(i + 3), QString::fromUtf8(credits[i]),
                      TwipsRect(240, 3210 + 270 * static_cast<double>(i), 2160, 270), SongFont(9));
        SetForeground(creditLabels[i], kCreditColor);
    }

    ClickLabel* link = MakeWindowButton(picture1, QStringLiteral("Label6"),
                                        QStringLiteral("E-mail:") + kSupportAddress,
                                        TwipsRect(240, kLinkTop, 2160, 270), TahomaFont(9),
                                        kLinkColor, QStringLiteral("给 Yuanmate 开发组写信"));
    link->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    link->adjustSize(); // the link is exactly its text
    // The background under the link must not see its mouse movement and turn it blue.
    link->setAttribute(Qt::WA_NoMousePropagation);
    connect(link, &ClickLabel::clicked, this, &AboutWindow::mailSupport);
    m_mailLink = link;

    QPushButton* command1 =
        MakeActionButton(picture1, QStringLiteral("Command1"), QStringLiteral("确 定(&O)"),
                         TwipsRect(0, 0, 600, 255));
    QPushButton* command2 =
        MakeActionButton(picture1, QStringLiteral("Command2"), QStringLiteral("帮 助(F1)"),
                         TwipsRect(0, 0, 600, 255));
    for (QPushButton* button : {command1, command2}) {
        button->hide();
    }
    connect(command1, &QPushButton::clicked, this, &AboutWindow::confirm);
    connect(command2, &QPushButton::clicked, this, &AboutWindow::openHelp);

    const ButtonFieldStyle style{SongFont(10.5), kOrange, kHoverFrameColor, QColor()};
    ButtonField* text2 = MakeButtonField(
        picture1, QStringLiteral("Text2"), QStringLiteral("帮 助(F1)"),
        TwipsRect(2490, 4350, 1110, 360), style, command2, QStringLiteral("Shape2"));
    ButtonField* text1 = MakeButtonField(
        picture1, QStringLiteral("Text1"), QStringLiteral("确 定(O)"),
        TwipsRect(3750, 4350, 1110, 360), style, command1, QStringLiteral("Shape1"));

    // The button fields show their hover frame and take the focus under the mouse; the
    // background, the slogan panel and its lines, the credit above the link and the link
    // itself take the frames away. Only the link lights up; everything else, the button
    // fields too, turns it back to blue.
    m_buttonFields = new ButtonFieldGroup(this);
    for (ButtonField* field : {text1, text2}) {
        field->setFocusOnHover(true);
        field->setEnterNeedsHover(true);
        m_buttonFields->add(field);
        connect(field, &ButtonField::hovered, this, &AboutWindow::dimLink);
    }
    const std::array<QWidget*, 4> areas{picture1, m_sloganPanel, creditLabels[2], m_mailLink};
    for (QWidget* area : areas) {
        m_buttonFields->watchArea(area);
    }
    for (QLabel* slogan : m_sloganPanel->findChildren<QLabel*>()) {
        m_buttonFields->watchArea(slogan);
    }
    connect(m_buttonFields, &ButtonFieldGroup::areaHovered, this, [this](QWidget* area) {
        if (area == m_mailLink) {
            lightLink();
        } else {
            dimLink();
        }
    });

    m_rollTimer = new QTimer(this);
    m_rollTimer->setObjectName(QStringLiteral("Timer1"));
    m_rollTimer->setInterval(20);
    connect(m_rollTimer, &QTimer::timeout, this, &AboutWindow::rollStep);
    m_rollTimer->start();
}

void AboutWindow::load() {
    m_panelHeight = 0;
    m_panelTop = kPanelBottom;
    placeSloganPanel();
    m_keyPreview->setEnabled(true);
}

// Top and bottom are rounded to pixels on their own, so the bottom edge never moves and
// the panel rises by one whole pixel every time the twips cross the next pixel row.
void AboutWindow::placeSloganPanel() {
    m_sloganPanel->setGeometry(TwipsRect(kPanelLeft, m_panelTop, kPanelWidth, m_panelHeight));
}

void AboutWindow::rollStep() {
    m_panelHeight += 1;
    m_panelTop -= 1;
    placeSloganPanel();
    if (m_panelTop <= kPanelLastTop) {
        m_rollTimer->stop();
    }
}

bool AboutWindow::handleKey(int key) {
    switch (key) {
    case Qt::Key_F1:
        openHelp();
        return true;
    case Qt::Key_O:
        confirm();
        return true;
    case Qt::Key_Escape:
        // The window has no cancel: only confirm and help lead out.
        return true;
    default:
        return false;
    }
}

void AboutWindow::confirm() {
    close();
}

void AboutWindow::openHelp() {
    HelpWindow* help = HelpWindow::ShowHelp(this);
    close();
    // Closing handed the activation to the main window; the help viewer is to keep it.
    help->activateWindow();
}

void AboutWindow::mailSupport() {
    if (!OpenMailTo(kSupportAddress)) {
        ShowNotice(this, QStringLiteral("无法打开邮件程序，请写信至 %1").arg(kSupportAddress));
    }
}

void AboutWindow::lightLink() {
    SetForeground(m_mailLink, kLinkHoverColor);
}

void AboutWindow::dimLink() {
    SetForeground(m_mailLink, kLinkColor);
}

// Every way out comes here: confirm, help, a close request from the window system.
void AboutWindow::closeEvent(QCloseEvent* event) {
    m_rollTimer->stop();
    // The window is deleted only later; the next opening must build a new one.
    if (g_aboutWindow == this) {
        g_aboutWindow = nullptr;
    }
    // Handed back explicitly, as the other windows do: the window system might otherwise
    // give the activation to another program.
    if (QWidget* owner = parentWidget()) {
        owner->setEnabled(true);
        owner->activateWindow();
    }
    event->accept();
}

AboutWindow* AboutWindow::ShowAbout(QWidget* owner) {
    if (g_aboutWindow.isNull()) {
        g_aboutWindow = new AboutWindow(owner);
        g_aboutWindow->move(owner->window()->geometry().center() - g_aboutWindow->rect().center());
    }
    AboutWindow* about = g_aboutWindow.data();
    // A window of its own over a disabled owner: enabled explicitly, or it would share the
    // owner's state.
    about->setEnabled(true);
    KeepOnTop(about);
    about->activateWindow();
    return about;
}

AboutWindow* AboutWindow::Instance() {
    return g_aboutWindow.data();
}

} // namespace ym::ui
