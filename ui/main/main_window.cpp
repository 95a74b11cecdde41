#include "ui/main/main_window.h"

#include "core/entry_rules.h"
#include "core/number_text.h"
#include "core/result_rows.h"
#include "core/settings_file.h"
#include "ui/common/button_field.h"
#include "ui/common/dates.h"
#include "ui/common/entry_field.h"
#include "ui/common/key_preview.h"
#include "ui/common/message_box.h"
#include "ui/common/platform.h"
#include "ui/common/text.h"
#include "ui/exrights/exrights_window.h"
#include "ui/help/about_window.h"
#include "ui/help/help_window.h"
#include "ui/settings/settings_dialog.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDateEdit>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScopedValueRollback>
#include <QScreen>
#include <QSignalBlocker>
#include <QStringList>
#include <QWindow>

namespace ym::ui {

namespace {

const QString kDamagedFeeRules = QStringLiteral("  ** 费率规则设置有误,已改用经典参数:\n");

// Message boxes, pop-ups and tool tips are not windows of the program in their own
// right: the main window coming back from one of them has not been re-activated.
bool IsProgramWindow(QWindow* window) {
    if (window->type() == Qt::Popup || window->type() == Qt::ToolTip) {
        return false;
    }
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->windowHandle() == window) {
            return qobject_cast<QMessageBox*>(widget) == nullptr;
        }
    }
    return true;
}

} // namespace

Form1::Form1(ProgramState& state, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), m_state(state) {
    setWindowTitle(QString::fromUtf8(kApplicationTitle));
    buildControls();

    connect(m_text1, &EntryField::enterPressed, this, &Form1::Text1_KeyPress);
    connect(m_text3, &EntryField::enterPressed, this, &Form1::Text3_KeyPress);
    connect(m_text2, &EntryField::enterPressed, this, &Form1::Text2_KeyPress);
    connect(m_text1, &EntryField::focusLost, this, [this] { Text1_Commit(); });
    connect(m_text3, &EntryField::focusLost, this, [this] { Text3_Commit(); });
    connect(m_text2, &EntryField::focusLost, this, [this] { Text2_Commit(); });

    const std::array<std::pair<QRadioButton*, void (Form1::*)()>, 7> options{{
        {m_option1, &Form1::Option1_Click},
        {m_option2, &Form1::Option2_Click},
        {m_option3, &Form1::Option3_Click},
        {m_option4, &Form1::Option4_Click},
        {m_option5, &Form1::Option5_Click},
        {m_option6, &Form1::Option6_Click},
        {m_option7, &Form1::Option7_Click},
    }};
    // An option runs its action when it becomes the selected one, whether by a click or
    // by start-up and activation restoring the selection.
    for (const auto& [option, action] : options) {
        connect(option, &QRadioButton::toggled, this, [this, action = action](bool checked) {
            if (checked) {
                (this->*action)();
            }
        });
    }

    // Switched on as the last step of start-up.
    m_keyPreview = new KeyPreview(this, [this](int key) { return Form_KeyDown(key); });
    m_keyPreview->setEnabled(false);

    connect(qApp, &QGuiApplication::focusWindowChanged, this, &Form1::focusWindowChanged);

    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - QPoint(width() / 2, height() / 2));
    }
}

Form1::~Form1() {
    delete m_settings.data();
    delete m_form4;
    delete m_keyPreview;
}

bool Form1::Form_Load() {
    m_state.settingsPath = SettingsPathInCurrentDirectory();
    if (const auto message = EnsureSettingsFile(m_state.settingsPath)) {
        ShowWarning(this, FromUtf8(MessageText(*message)));
        return false;
    }

    m_state.buyPrice = 0;
    m_state.sellPrice = 0;
    m_state.quantity = 0;
    if (const auto message = m_state.Load()) {
        // Values read before the failure are dropped with the program.
        ShowWarning(this, FromUtf8(MessageText(*message)));
        return false;
    }
    if (!m_state.feeModelProblems.empty()) {
        QStringList problems;
        for (const std::string& problem : m_state.feeModelProblems) {
            problems << FromUtf8(problem);
        }
        ShowNotice(this, kDamagedFeeRules + problems.join(QLatin1Char('\n')));
    }
    if (const std::string notice =
            ParameterProblemsNotice(m_state.missingParameters, m_state.unreadableParameters);
        !notice.empty()) {
        ShowNotice(this, FromUtf8(notice));
    }
    showFeeModel();

    colorPanels();
    restoreSelection();
    m_text1->setFocus();
    m_keyPreview->setEnabled(true);
    return true;
}

void Form1::Form_Activate() {
    ShowPanel(m_panels, Panel::AShare);
    restoreSelection();
    // The settings dialog may have changed the model.
    showFeeModel();
}

void Form1::showFeeModel() {
    if (!m_tradeDateSet) {
        m_state.tradeDate = FromQDate(QDate::currentDate());
    }
    const QSignalBlocker blocker(m_dtPicker1);
    m_dtPicker1->setDate(ToQDate(m_state.tradeDate));
    m_label18->setText(FromUtf8(ModelLabel(m_state.feeModel, m_state.tradeDate)));
}

void Form1::DTPicker1_Change() {
    const Date chosen = FromQDate(m_dtPicker1->date());
    if (chosen == m_state.tradeDate) {
        return;
    }
    const bool official = m_state.feeModel.model == FeeModel::Official;
    if (official && chosen < kFirstRuleDate) {
        // The previous day comes back before the message takes the focus, which commits
        // the field once more.
        showFeeModel();
        ShowNotice(this, FromUtf8(kNoRulesMessage));
        return;
    }
    m_state.tradeDate = chosen;
    m_tradeDateSet = chosen != FromQDate(QDate::currentDate());
    showFeeModel();
    // Results of another day's rules would be taken for this day's.
    if (official) {
        ResetResults();
    }
}

void Form1::restoreSelection() {
    if (!m_state.market) {
        return;
    }
    selectMarket(*m_state.market);
    if (!m_state.type) {
        return;
    }
    selectType(*m_state.type);
    if (m_state.type == SecurityType::BShare) {
        ShowPanel(m_panels, Panel::BShare);
    }
}

void Form1::selectMarket(Market market) {
    (market == Market::Shanghai ? m_option1 : m_option2)->setChecked(true);
}

void Form1::selectType(SecurityType type) {
    const std::array<QRadioButton*, 5> byType{m_option3, m_option4, m_option5, m_option7,
                                              m_option6};
    byType[static_cast<std::size_t>(NumberOf(type) - 1)]->setChecked(true);
}

bool Form1::Form_KeyDown(int key) {
    switch (key) {
    case Qt::Key_F1:
        Form7::ShowHelp(this);
        return true;
    case Qt::Key_F2:
        startCalculator(QStringLiteral("quick_sum.exe"));
        return true;
    case Qt::Key_F3:
        startNotebook();
        return true;
    case Qt::Key_F4:
        openExRights();
        return true;
    case Qt::Key_F5:
        openSettings();
        return true;
    case Qt::Key_F6:
        // The about window is shown, yet the key goes on to the control.
        openAbout();
        return false;
    case Qt::Key_C:
        Command5_Click();
        return true;
    case Qt::Key_D:
        Command1_Click();
        return true;
    case Qt::Key_X:
        Command2_Click();
        return true;
    default:
        return false;
    }
}

void Form1::Command6_Click(int index) {
    switch (index) {
    case 0:
        // The tool button asks for the companion under its capitalised name.
        startCalculator(QStringLiteral("Quick_sum.exe"));
        break;
    case 1:
        startNotebook();
        break;
    case 2:
        openSettings();
        break;
    case 3:
        openExRights();
        break;
    case 4:
        openAbout();
        break;
    default:
        break;
    }
}

void Form1::startCalculator(const QString& startName) {
    startProgram(QStringLiteral("quick_sum.exe"), startName, DesktopCalculators(),
                 QStringLiteral("计算器"));
}

void Form1::startNotebook() {
    startProgram(QStringLiteral("Tradelog_pad.exe"), QStringLiteral("Tradelog_pad.exe"),
                 DesktopTextEditors(), QStringLiteral("记事本"));
}

void Form1::startProgram(const QString& companion, const QString& startName,
                         const QStringList& fallbacks, const QString& what) {
    const QString workingDirectory = QDir::currentPath();
    const QString program = ChooseProgram(companion, startName, fallbacks, workingDirectory);
    // The calculator stays open whatever happens to the other program.
    if (program.isEmpty()) {
        ShowNotice(this, QStringLiteral("未找到可用的%1程序").arg(what));
        return;
    }
    if (!Launcher().start(program, workingDirectory)) {
        ShowNotice(this,
                   QStringLiteral("无法启动%1程序: %2").arg(what, QFileInfo(program).fileName()));
    }
}

void Form1::openExRights() {
    // Created on first use and reused while open; closing it unloads it.
    if (m_form4.isNull()) {
        m_form4 = new Form4(this);
    }
    m_form4->showNormal(); // also when its own "-" has minimised it
    m_form4->raise();
    m_form4->activateWindow();
    showMinimized();
}

void Form1::openSettings() {
    // Hidden and disabled until the dialog has closed, whichever way; each opening loads
    // the dialog afresh from memory.
    if (m_settings.isNull()) {
        m_settings = new Form3(m_state);
        connect(m_settings, &Form3::settingsChanged, this, &Form1::ApplyDisplayScheme);
        connect(m_settings, &Form3::programEnded, this, &Form1::programEnded);
        connect(m_settings, &Form3::closed, this, [this] {
            m_settings = nullptr; // it unloads itself
            setEnabled(true);
            show();
            activateWindow();
        });
    }
    m_settings->show();
    m_settings->activateWindow();
    hide();
    setEnabled(false);
}

void Form1::openAbout() {
    // The about window enables the main window again when it closes.
    setEnabled(false);
    Form2::ShowAbout(this);
}

void Form1::Label13_Click() {
    showMinimized();
}

void Form1::Label15_Click() {
    // Ends without saving the selection, unlike the exit action.
    emit programEnded(0);
}

void Form1::closeEvent(QCloseEvent* event) {
    event->accept();
    emit programEnded(0);
}

void Form1::focusWindowChanged(QWindow* window) {
    // Another application, or none, taking the focus changes nothing: only the last
    // active window of the program counts.
    if (window == nullptr) {
        return;
    }
    if (window == windowHandle()) {
        if (!m_lastActiveWasMain) {
            m_lastActiveWasMain = true;
            Form_Activate();
        }
        return;
    }
    if (IsProgramWindow(window)) {
        m_lastActiveWasMain = false;
    }
}

// ---- Calculation, clear, exit ---------------------------------------------------------

void Form1::Command1_Click() {
    showFeeModel(); // a new day may have begun
    TradeInput input;
    input.buyPrice = m_state.buyPrice;
    input.sellPrice = m_state.sellPrice;
    input.quantity = m_state.quantity;
    input.buyFieldEmpty = m_text1->text().isEmpty();
    input.sellFieldEmpty = m_text3->text().isEmpty();
    const std::optional<FeeRules> rules = m_state.feeRules();
    if (!rules) {
        ShowNotice(this, FromUtf8(kNoRulesMessage));
        return;
    }
    const TradeResult result = ComputeTrade(*rules, input);
    for (ResultPanel* panel : {&m_panels.a, &m_panels.b}) {
        const std::vector<ResultRow> rows = PanelRows(panel->kind, result);
        SetRowValues(*panel, rows);
        ColorProfitRows(*panel, rows, m_state.scheme.colors);
    }
    focusAndSelect(m_text1);
}

void Form1::Command5_Click() {
    resetPanelValues();
    resetProfitRows();
    m_state.buyPrice = 0;
    m_state.sellPrice = 0;
    m_state.quantity = 0;
    for (EntryField* field : {m_text1, m_text2, m_text3}) {
        field->setProgramText(QString());
    }
    m_text1->setFocus();
}

void Form1::Command2_Click() {
    int code = 0;
    if (const auto message = m_state.SaveSelection()) {
        ShowWarning(this, FromUtf8(MessageText(*message)));
        code = 1;
    }
    emit programEnded(code);
}

// ---- Selectors and panels -------------------------------------------------------------

// Every selector shows the panel of the selected type and resets both panels; the user
// calculates again with the rates of the new selection.
void Form1::selectionChanged() {
    ShowPanel(m_panels, PanelForType(m_state.type));
    ResetResults();
}

void Form1::Option1_Click() {
    m_state.market = Market::Shanghai;
    selectionChanged();
}

void Form1::Option2_Click() {
    m_state.market = Market::Shenzhen;
    selectionChanged();
}

void Form1::Option3_Click() {
    m_state.type = SecurityType::AShare;
    selectionChanged();
}

void Form1::Option4_Click() {
    m_state.type = SecurityType::Bond;
    selectionChanged();
}

void Form1::Option5_Click() {
    m_state.type = SecurityType::Fund;
    selectionChanged();
}

void Form1::Option6_Click() {
    m_state.type = SecurityType::BShare;
    selectionChanged();
}

void Form1::Option7_Click() {
    m_state.type = SecurityType::InvestmentFund;
    selectionChanged();
}

void Form1::ResetResults() {
    resetPanelValues();
    resetProfitRows();
    m_state.buyPrice = Val(ToAscii(m_text1->text()));
    m_state.sellPrice = Val(ToAscii(m_text3->text()));
    m_state.quantity = Val(ToAscii(m_text2->text()));
}

void Form1::ApplyDisplayScheme() {
    resetPanelValues();
    colorPanels();
}

void Form1::resetPanelValues() {
    SetRowValues(m_panels.a, ResetRows(Panel::AShare));
    SetRowValues(m_panels.b, ResetRows(Panel::BShare));
}

void Form1::resetProfitRows() {
    ColorProfitRows(m_panels.a, ResetRows(Panel::AShare), m_state.scheme.colors);
    ColorProfitRows(m_panels.b, ResetRows(Panel::BShare), m_state.scheme.colors);
}

void Form1::colorPanels() {
    const ColorTable& colors = m_state.scheme.colors;
    ColorBackground(m_panels.a, colors);
    ColorBackground(m_panels.b, colors);
    ShowPanel(m_panels, Panel::AShare);
    ColorLines(m_panels.b, colors);
    ColorNotes(m_panels.b, colors);
    ColorAllRows(m_panels.b, ResetRows(Panel::BShare), colors);
    ColorLines(m_panels.a, colors);
    ColorNotes(m_panels.a, colors);
    ColorAllRows(m_panels.a, ResetRows(Panel::AShare), colors);
}

// ---- Entry fields ---------------------------------------------------------------------

void Form1::Text1_KeyPress() {
    if (Text1_Commit()) {
        focusAndSelect(m_text3);
    }
}

void Form1::Text3_KeyPress() {
    Text3_Commit();
    focusAndSelect(m_text2);
}

void Form1::Text2_KeyPress() {
    Text2_Commit();
    m_text4->setFocus();
    m_buttonFields->showHover(m_text4);
}

bool Form1::Text1_Commit() {
    return commitField(m_text1, CommitBuyPrice, m_state.buyPrice);
}

void Form1::Text3_Commit() {
    commitField(m_text3, CommitSellPrice, m_state.sellPrice);
}

void Form1::Text2_Commit() {
    commitField(m_text2, CommitQuantity, m_state.quantity);
}

bool Form1::commitField(EntryField* field, FieldCommit (*commit)(std::string_view),
                        double& stored) {
    // The message box of a refused price can take the focus from the field; that must
    // not commit the field a second time.
    if (m_committing) {
        return false;
    }
    const QScopedValueRollback guard(m_committing, true);
    const FieldCommit result = commit(ToAscii(field->text()));
    if (result.refused) {
        ShowAppMessage(this, FromUtf8(kBuyPriceLimitMessage));
        field->setProgramText(QString());
        return false;
    }
    stored = result.value;
    if (result.newText) {
        field->setProgramText(FromUtf8(*result.newText));
    }
    return true;
}

void Form1::focusAndSelect(EntryField* field) {
    field->setFocus();
    field->selectAll();
}

} // namespace ym::ui
