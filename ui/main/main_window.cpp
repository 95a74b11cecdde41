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
#include "ui/position/position_window.h"
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

MainWindow::MainWindow(ProgramState& state, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), m_state(state) {
    setWindowTitle(QString::fromUtf8(kApplicationTitle));
    buildControls();

    connect(m_buyPrice, &EntryField::enterPressed, this, &MainWindow::buyPriceEntered);
    connect(m_sellPrice, &EntryField::enterPressed, this, &MainWindow::sellPriceEntered);
    connect(m_quantity, &EntryField::enterPressed, this, &MainWindow::quantityEntered);
    connect(m_buyPrice, &EntryField::focusLost, this, [this] { commitBuyPrice(); });
    connect(m_sellPrice, &EntryField::focusLost, this, [this] { commitSellPrice(); });
    connect(m_quantity, &EntryField::focusLost, this, [this] { commitQuantity(); });
    connectSelectors();

    // Switched on as the last step of start-up.
    m_keyPreview = new KeyPreview(this, [this](int key) { return handleKey(key); });
    m_keyPreview->setEnabled(false);

    connect(qApp, &QGuiApplication::focusWindowChanged, this, &MainWindow::focusWindowChanged);

    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - QPoint(width() / 2, height() / 2));
    }
}

MainWindow::~MainWindow() {
    delete m_settings.data();
    delete m_exRights;
    delete m_positionTools;
    delete m_keyPreview;
}

bool MainWindow::load() {
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
    m_buyPrice->setFocus();
    m_keyPreview->setEnabled(true);
    return true;
}

void MainWindow::reapplySelection() {
    ShowPanel(m_panels, Panel::AShare);
    restoreSelection();
    // The settings dialog may have changed the model.
    showFeeModel();
}

void MainWindow::showFeeModel() {
    if (!m_tradeDateSet) {
        m_state.tradeDate = FromQDate(QDate::currentDate());
    }
    const QSignalBlocker blocker(m_tradeDate);
    m_tradeDate->setDate(ToQDate(m_state.tradeDate));
    m_feeModelLabel->setText(FromUtf8(ModelLabel(m_state.feeModel, m_state.tradeDate)));
}

void MainWindow::tradeDateChanged() {
    const Date chosen = FromQDate(m_tradeDate->date());
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
        resetResults();
    }
}

void MainWindow::restoreSelection() {
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

void MainWindow::selectMarket(Market market) {
    for (const MarketOption& option : m_marketOptions) {
        if (option.market == market) {
            option.button->setChecked(true);
        }
    }
}

void MainWindow::selectType(SecurityType type) {
    for (const TypeOption& option : m_typeOptions) {
        if (option.type == type) {
            option.button->setChecked(true);
        }
    }
}

// An option runs its action when it becomes the selected one, whether by a click or by
// start-up and activation restoring the selection.
void MainWindow::connectSelectors() {
    for (const MarketOption& option : m_marketOptions) {
        connect(option.button, &QRadioButton::toggled, this,
                [this, market = option.market](bool checked) {
                    if (checked) {
                        marketChosen(market);
                    }
                });
    }
    for (const TypeOption& option : m_typeOptions) {
        connect(option.button, &QRadioButton::toggled, this,
                [this, type = option.type](bool checked) {
                    if (checked) {
                        typeChosen(type);
                    }
                });
    }
}

bool MainWindow::handleKey(int key) {
    switch (key) {
    case Qt::Key_F1:
        HelpWindow::ShowHelp(this);
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
    case Qt::Key_F7:
        openPositionTools();
        return true;
    case Qt::Key_C:
        clearInputs();
        return true;
    case Qt::Key_D:
        calculate();
        return true;
    case Qt::Key_X:
        exitProgram();
        return true;
    default:
        return false;
    }
}

void MainWindow::toolButtonClicked(int index) {
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
    case 5:
        openPositionTools();
        break;
    default:
        break;
    }
}

void MainWindow::startCalculator(const QString& startName) {
    startProgram(QStringLiteral("quick_sum.exe"), startName, DesktopCalculators(),
                 QStringLiteral("计算器"));
}

void MainWindow::startNotebook() {
    startProgram(QStringLiteral("Tradelog_pad.exe"), QStringLiteral("Tradelog_pad.exe"),
                 DesktopTextEditors(), QStringLiteral("记事本"));
}

void MainWindow::startProgram(const QString& companion, const QString& startName,
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

void MainWindow::openExRights() {
    // Created on first use and reused while open; closing it unloads it.
    if (m_exRights.isNull()) {
        m_exRights = new ExRightsWindow(this);
        connect(m_exRights, &ExRightsWindow::exited, this, &MainWindow::toolWindowExited);
    }
    m_exRights->showNormal(); // also when its own "-" has minimised it
    m_exRights->raise();
    m_exRights->activateWindow();
    showMinimized();
}

void MainWindow::openPositionTools() {
    // Created on first use and reused while open; closing it unloads it.
    if (m_positionTools.isNull()) {
        m_positionTools = new PositionWindow(m_state, this);
        connect(m_positionTools, &PositionWindow::exited, this, &MainWindow::toolWindowExited);
    }
    m_positionTools->showNormal();
    m_positionTools->raise();
    m_positionTools->activateWindow();
    showMinimized();
}

void MainWindow::openSettings() {
    // Hidden and disabled until the dialog has closed, whichever way; each opening loads
    // the dialog afresh from memory.
    if (m_settings.isNull()) {
        m_settings = new SettingsDialog(m_state);
        connect(m_settings, &SettingsDialog::settingsChanged, this,
                &MainWindow::applyDisplayScheme);
        connect(m_settings, &SettingsDialog::programEnded, this, &MainWindow::programEnded);
        connect(m_settings, &SettingsDialog::closed, this, [this] {
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

void MainWindow::toolWindowExited() {
    // Hidden and disabled for the settings dialog, the window waits for the dialog.
    if (!m_settings.isNull()) {
        return;
    }
    showNormal();
    raise();
    activateWindow();
}

void MainWindow::openAbout() {
    // The about window enables the main window again when it closes.
    setEnabled(false);
    AboutWindow::ShowAbout(this);
}

void MainWindow::minimise() {
    showMinimized();
}

void MainWindow::endWithoutSaving() {
    // Ends without saving the selection, unlike the exit action.
    emit programEnded(0);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    event->accept();
    emit programEnded(0);
}

void MainWindow::focusWindowChanged(QWindow* window) {
    // Another application, or none, taking the focus changes nothing: only the last
    // active window of the program counts.
    if (window == nullptr) {
        return;
    }
    if (window == windowHandle()) {
        if (!m_lastActiveWasMain) {
            m_lastActiveWasMain = true;
            reapplySelection();
        }
        return;
    }
    if (IsProgramWindow(window)) {
        m_lastActiveWasMain = false;
    }
}

// ---- Calculation, clear, exit ---------------------------------------------------------

void MainWindow::calculate() {
    showFeeModel(); // a new day may have begun
    TradeInput input;
    input.buyPrice = m_state.buyPrice;
    input.sellPrice = m_state.sellPrice;
    input.quantity = m_state.quantity;
    input.buyFieldEmpty = m_buyPrice->text().isEmpty();
    input.sellFieldEmpty = m_sellPrice->text().isEmpty();
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
    focusAndSelect(m_buyPrice);
}

void MainWindow::clearInputs() {
    resetPanelValues();
    resetProfitRows();
    m_state.buyPrice = 0;
    m_state.sellPrice = 0;
    m_state.quantity = 0;
    for (EntryField* field : {m_buyPrice, m_quantity, m_sellPrice}) {
        field->setProgramText(QString());
    }
    m_buyPrice->setFocus();
}

void MainWindow::exitProgram() {
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
void MainWindow::selectionChanged() {
    ShowPanel(m_panels, PanelForType(m_state.type));
    resetResults();
}

void MainWindow::marketChosen(Market market) {
    m_state.market = market;
    selectionChanged();
}

void MainWindow::typeChosen(SecurityType type) {
    m_state.type = type;
    selectionChanged();
}

void MainWindow::resetResults() {
    resetPanelValues();
    resetProfitRows();
    m_state.buyPrice = Val(ToAscii(m_buyPrice->text()));
    m_state.sellPrice = Val(ToAscii(m_sellPrice->text()));
    m_state.quantity = Val(ToAscii(m_quantity->text()));
}

void MainWindow::applyDisplayScheme() {
    resetPanelValues();
    colorPanels();
}

void MainWindow::resetPanelValues() {
    SetRowValues(m_panels.a, ResetRows(Panel::AShare));
    SetRowValues(m_panels.b, ResetRows(Panel::BShare));
}

void MainWindow::resetProfitRows() {
    ColorProfitRows(m_panels.a, ResetRows(Panel::AShare), m_state.scheme.colors);
    ColorProfitRows(m_panels.b, ResetRows(Panel::BShare), m_state.scheme.colors);
}

void MainWindow::colorPanels() {
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

void MainWindow::buyPriceEntered() {
    if (commitBuyPrice()) {
        focusAndSelect(m_sellPrice);
    }
}

void MainWindow::sellPriceEntered() {
    commitSellPrice();
    focusAndSelect(m_quantity);
}

void MainWindow::quantityEntered() {
    commitQuantity();
    m_calculateField->setFocus();
    m_buttonFields->showHover(m_calculateField);
}

bool MainWindow::commitBuyPrice() {
    return commitField(m_buyPrice, CommitBuyPrice, m_state.buyPrice);
}

void MainWindow::commitSellPrice() {
    commitField(m_sellPrice, CommitSellPrice, m_state.sellPrice);
}

void MainWindow::commitQuantity() {
    commitField(m_quantity, CommitQuantity, m_state.quantity);
}

bool MainWindow::commitField(EntryField* field, FieldCommit (*commit)(std::string_view),
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

void MainWindow::focusAndSelect(EntryField* field) {
    field->setFocus();
    field->selectAll();
}

} // namespace ym::ui
