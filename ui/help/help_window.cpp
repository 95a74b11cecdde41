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

QPointer<Form7> g_helpWindow;

const QColor kPaleYellow(255, 255, 192);
const QColor kTitleRed(255, 0, 0);

// Client area and rows, in twips: the button across the top, the title line under it,
// the page filling the rest.
constexpr double kClientWidth = 4740;
constexpr double kClientHeight = 6240;
constexpr double kButtonHeight = 375;
constexpr double kTitleHeight = 345;

} // namespace

Form7::Form7(QWidget* parent) : QWidget(parent, Qt::Window | Qt::MSWindowsFixedSizeDialogHint) {
    setObjectName(QStringLiteral("Form7"));
    setWindowTitle(QStringLiteral("Yuanmate V5.5 帮助"));
    // Closing unloads the viewer; the next F1 builds it afresh.
    setAttribute(Qt::WA_DeleteOnClose);
    // Left open, it must not keep the program running after the main window has gone.
    setAttribute(Qt::WA_QuitOnClose, false);
    setFixedSize(TwipsSize(kClientWidth, kClientHeight));

    m_command2 = new QPushButton(QStringLiteral("退出(&X)"), this);
    m_command2->setObjectName(QStringLiteral("Command2"));
    m_command2->setGeometry(TwipsRect(0, 0, kClientWidth, kButtonHeight));
    m_command2->setAutoDefault(false);

    m_text2 = new QLineEdit(this);
    m_text2->setObjectName(QStringLiteral("Text2"));
    m_text2->setGeometry(TwipsRect(0, kButtonHeight, kClientWidth, kTitleHeight));
    m_text2->setReadOnly(true);
    m_text2->setAlignment(Qt::AlignCenter);
    m_text2->setFont(SongFont(10.5, true));
    SetBackground(m_text2, kPaleYellow);
    SetForeground(m_text2, kTitleRed);

    m_text1 = new QPlainTextEdit(this);
    m_text1->setObjectName(QStringLiteral("Text1"));
    const double pageTop = kButtonHeight + kTitleHeight;
    m_text1->setGeometry(TwipsRect(0, pageTop, kClientWidth, kClientHeight - pageTop));
    m_text1->setReadOnly(true);
    // Read-only, yet the arrow and page keys still move through the page.
    m_text1->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_text1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_text1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_text1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m_text1->setFont(SongFont(9));
    m_text1->setTabChangesFocus(true);
    SetBackground(m_text1, kPaleYellow);
    SetBackground(m_text1->viewport(), kPaleYellow);

    // The page comes first, so it has the focus when the viewer opens.
    setTabOrder(m_text1, m_command2);
    setTabOrder(m_command2, m_text2);
    setFocusProxy(m_text1);

    connect(m_command2, &QPushButton::clicked, this, [this] { Command2_Click(); });

    Form_Load();
}

Form7::~Form7() = default;

void Form7::Form_Load() {
    m_helpText = HelpText();
    m_text2->setText(QStringLiteral("Yuanmate 5.5 帮助说明"));
    m_text2->setCursorPosition(0);
    // The editor breaks lines at "\n"; a stray "\r" would show as a glyph.
    QString shown = m_helpText;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    if (shown.endsWith(QLatin1Char('\n'))) {
        shown.chop(1); // the last line break ends the last line, it opens no new one
    }
    m_text1->setPlainText(shown);
    m_text1->moveCursor(QTextCursor::Start);
    m_text1->verticalScrollBar()->setValue(0);
}

void Form7::Command2_Click() {
    close();
}

void Form7::closeEvent(QCloseEvent* event) {
    // The closed viewer is deleted later; an F1 before that must build a new one rather
    // than show the one about to vanish.
    if (g_helpWindow == this) {
        g_helpWindow = nullptr;
    }
    QWidget::closeEvent(event);
}

Form7* Form7::ShowHelp(QWidget* caller) {
    Q_UNUSED(caller); // the viewer opens where the window system puts new windows
    if (g_helpWindow.isNull()) {
        g_helpWindow = new Form7();
    }
    Form7* viewer = g_helpWindow.data();
    viewer->show();
    viewer->raise();
    viewer->activateWindow();
    viewer->m_text1->setFocus(Qt::OtherFocusReason);
    return viewer;
}

Form7* Form7::ShowHelp(QWidget* caller, HelpTopic topic) {
    Form7* viewer = ShowHelp(caller);
    viewer->scrollToLine(HelpTopicLine(topic));
    return viewer;
}

void Form7::scrollToLine(int line) {
    // To the end first, then back to the line: the page then shows it at its top.
    m_text1->moveCursor(QTextCursor::End);
    m_text1->ensureCursorVisible();
    QTextCursor cursor(m_text1->document()->findBlockByNumber(line));
    m_text1->setTextCursor(cursor);
    m_text1->ensureCursorVisible();
}

Form7* Form7::Instance() {
    return g_helpWindow.data();
}

} // namespace ym::ui
