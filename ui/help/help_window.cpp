#include "help_window.h"

#include "help_text.h"
#include "ui/common/colors.h"
#include "ui/common/fonts.h"
#include "ui/common/twips.h"

#include <QCloseEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>

namespace ym::ui {

namespace {

QPointer<HelpWindow> g_helpWindow;

const QColor kPaleYellow(255, 255, 192);
const QColor kTitleRed(255, 0, 0);

// Client area and rows, in twips: the button across the top, the title line under it,
// the page filling the rest.
constexpr double kClientWidth = 4740;
constexpr double kClientHeight = 6240;
constexpr double kButtonHeight = 375;
constexpr double kTitleHeight = 345;

} // namespace

HelpWindow::HelpWindow(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::MSWindowsFixedSizeDialogHint) {
    setObjectName(QStringLiteral("Form7"));
    setWindowTitle(QStringLiteral("Yuanmate V5.5 帮助"));
    // Closing unloads the viewer; the next F1 builds it afresh.
    setAttribute(Qt::WA_DeleteOnClose);
    // Left open, it must not keep the program running after the main window has gone.
    setAttribute(Qt::WA_QuitOnClose, false);
    setFixedSize(TwipsSize(kClientWidth, kClientHeight));

    m_exitButton = new QPushButton(QStringLiteral("退出(&X)"), this);
    m_exitButton->setObjectName(QStringLiteral("Command2"));
    m_exitButton->setGeometry(TwipsRect(0, 0, kClientWidth, kButtonHeight));
    m_exitButton->setAutoDefault(false);

    m_title = new QLineEdit(this);
    m_title->setObjectName(QStringLiteral("Text2"));
    m_title->setGeometry(TwipsRect(0, kButtonHeight, kClientWidth, kTitleHeight));
    m_title->setReadOnly(true);
    m_title->setAlignment(Qt::AlignCenter);
    m_title->setFont(SongFont(10.5, true));
    SetBackground(m_title, kPaleYellow);
    SetForeground(m_title, kTitleRed);

    m_page = new QPlainTextEdit(this);
    m_page->setObjectName(QStringLiteral("Text1"));
    const double pageTop = kButtonHeight + kTitleHeight;
    m_page->setGeometry(TwipsRect(0, pageTop, kClientWidth, kClientHeight - pageTop));
    m_page->setReadOnly(true);
    // Read-only, yet the arrow and page keys still move through the page.
    m_page->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_page->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_page->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_page->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m_page->setFont(SongFont(9));
    m_page->setTabChangesFocus(true);
    SetBackground(m_page, kPaleYellow);
    SetBackground(m_page->viewport(), kPaleYellow);

    // The page comes first, so it has the focus when the viewer opens.
    setTabOrder(m_page, m_exitButton);
    setTabOrder(m_exitButton, m_title);
    setFocusProxy(m_page);

    connect(m_exitButton, &QPushButton::clicked, this, &QWidget::close);

    load();
}

HelpWindow::~HelpWindow() = default;

void HelpWindow::load() {
    m_helpText = HelpText();
    m_title->setText(QStringLiteral("Yuanmate 5.5 帮助说明"));
    m_title->setCursorPosition(0);
    // The editor breaks lines at "\n"; a stray "\r" would show as a glyph.
    QString shown = m_helpText;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    if (shown.endsWith(QLatin1Char('\n'))) {
        shown.chop(1); // the last line break ends the last line, it opens no new one
    }
    m_page->setPlainText(shown);
    m_page->moveCursor(QTextCursor::Start);
    m_page->verticalScrollBar()->setValue(0);
}

void HelpWindow::closeEvent(QCloseEvent* event) {
    // The closed viewer is deleted later; an F1 before that must build a new one rather
    // than show the one about to vanish.
    if (g_helpWindow == this) {
        g_helpWindow = nullptr;
    }
    QWidget::closeEvent(event);
}

HelpWindow* HelpWindow::ShowHelp(QWidget* caller) {
    Q_UNUSED(caller); // the viewer opens where the window system puts new windows
    if (g_helpWindow.isNull()) {
        g_helpWindow = new HelpWindow();
    }
    HelpWindow* viewer = g_helpWindow.data();
    viewer->show();
    viewer->raise();
    viewer->activateWindow();
    viewer->m_page->setFocus(Qt::OtherFocusReason);
    return viewer;
}

HelpWindow* HelpWindow::ShowHelp(QWidget* caller, HelpTopic topic) {
    HelpWindow* viewer = ShowHelp(caller);
    viewer->scrollToLine(HelpTopicLine(topic));
    return viewer;
}

void HelpWindow::scrollToLine(int line) {
    // To the end first, then back to the line: the page then shows it at its top.
    m_page->moveCursor(QTextCursor::End);
    m_page->ensureCursorVisible();
    QTextCursor cursor(m_page->document()->findBlockByNumber(line));
    m_page->setTextCursor(cursor);
    m_page->ensureCursorVisible();
}

HelpWindow* HelpWindow::Instance() {
    return g_helpWindow.data();
}

} // namespace ym::ui
