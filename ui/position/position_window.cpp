#include "ui/position/position_window.h"

#include "core/entry_rules.h"
#include "core/fee_model.h"
#include "core/number_text.h"
#include "ui/common/button_field.h"
#include "ui/common/colors.h"
#include "ui/common/controls.h"
#include "ui/common/date_field.h"
#include "ui/common/dates.h"
#include "ui/common/entry_field.h"
#include "ui/common/key_preview.h"
#include "ui/common/message_box.h"
#include "ui/common/row_panel.h"
#include "ui/common/text.h"
#include "ui/help/help_text.h"
#include "ui/help/help_window.h"
#include "ui/position/profit_chart.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScopedValueRollback>
#include <QTabWidget>

namespace ym::ui {

namespace {

// The help section each page's F1 opens.
HelpTopic TopicOf(PositionPage page) {
    switch (page) {
    case PositionPage::Target:
        return HelpTopic::Target;
    case PositionPage::Average:
        return HelpTopic::Average;
    case PositionPage::Swing:
        return HelpTopic::Swing;
    case PositionPage::Limits:
        break;
    }
    return HelpTopic::Limits;
}

// The other field of the average page that a committed text empties: a quantity and a
// target cost are two ways of asking, and only one of them may stand.
constexpr std::size_t kAddQuantity = 3;
constexpr std::size_t kTargetCost = 4;

} // namespace

PositionWindow::PositionWindow(const ProgramState& state, QWidget* owner)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint), m_state(state), m_owner(owner) {
    setWindowTitle(QStringLiteral("持仓计算"));
    // Closing unloads the window; the next opening starts afresh from the main window.
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_QuitOnClose, false);
    buildControls();
    takeState();
    connectControls();

    m_keyPreview = new KeyPreview(this, [this](int key) { return handleKey(key); });
    m_keyPreview->setEnabled(true);

    if (owner != nullptr) {
        move(owner->geometry().center() - QPoint(width() / 2, height() / 2));
    }
    focusFirstField();
}

PositionWindow::~PositionWindow() {
    delete m_keyPreview;
}

bool PositionWindow::handleKey(int key) {
    if (key == Qt::Key_F1) {
        Form7::ShowHelp(this, TopicOf(currentPage()));
        return true;
    }
    return false;
}

PositionPage PositionWindow::currentPage() const {
    return static_cast<PositionPage>(m_tabs->currentIndex());
}

void PositionWindow::showPage(PositionPage which) {
    m_tabs->setCurrentIndex(static_cast<int>(which));
}

// ---- Start ------------------------------------------------------------------------------

void PositionWindow::takeState() {
    m_market->setCurrentIndex(m_state.market == Market::Shanghai ? 0 : 1);
    m_type->setCurrentIndex(NumberOf(m_state.type.value_or(SecurityType::AShare)) - 1);
    m_tradeDate->setDate(ToQDate(m_state.tradeDate));
    m_feeModel->setText(FromUtf8(ModelLabel(m_state.feeModel, m_state.tradeDate)));
    m_goalCaption->setText(QStringLiteral("目标金额：(元)"));

    // The main window's trade read as a holding: bought at the buy price, priced today at the
    // sell price.
    setFieldValue(field(PositionPage::Target, 0), m_state.buyPrice);
    setFieldValue(field(PositionPage::Target, 1), m_state.quantity);
    setFieldValue(field(PositionPage::Average, 0), m_state.quantity);
    setFieldValue(field(PositionPage::Average, 1), m_state.buyPrice);
    setFieldValue(field(PositionPage::Average, 2), m_state.sellPrice);
    setFieldValue(field(PositionPage::Swing, 0), m_state.quantity);
    setFieldValue(field(PositionPage::Swing, 1), m_state.buyPrice);
    setFieldValue(field(PositionPage::Swing, 3), m_state.sellPrice);
    resetResults();
}

void PositionWindow::setFieldValue(Field& target, double value) {
    target.edit->setProgramText(value == 0 ? QString() : FromUtf8(GeneralForm(value)));
    commitField(target);
}

// ---- Entry fields -------------------------------------------------------------------------

bool PositionWindow::commitField(Field& target) {
    // The message box of a refused price can take the focus from the field; that must not
    // commit the field a second time.
    if (m_committing) {
        return false;
    }
    const QScopedValueRollback guard(m_committing, true);
    const std::string text = ToAscii(target.edit->text());
    const FieldCommit result = target.kind == FieldKind::PaidPrice  ? CommitBuyPrice(text)
                               : target.kind == FieldKind::Quantity ? CommitQuantity(text)
                                                                    : CommitSellPrice(text);
    if (result.refused) {
        ShowAppMessage(this, FromUtf8(kBuyPriceLimitMessage));
        target.edit->setProgramText(QString());
        return false;
    }
    target.value = result.value;
    if (result.newText) {
        target.edit->setProgramText(FromUtf8(*result.newText));
    }
    return true;
}

void PositionWindow::fieldEntered(PositionPage which, std::size_t index) {
    Page& p = page(which);
    Field& entered = p.fields[index];
    if (!commitField(entered)) {
        return; // the refused field keeps the focus
    }
    if (which == PositionPage::Average && !entered.edit->text().isEmpty() &&
        (index == kAddQuantity || index == kTargetCost)) {
        Field& other = p.fields[index == kAddQuantity ? kTargetCost : kAddQuantity];
        other.edit->setProgramText(QString());
        other.value = 0;
    }
    // A quantity to add needs no target cost: on to compute.
    const bool last =
        index + 1 == p.fields.size() || (which == PositionPage::Average && index == kAddQuantity &&
                                         !entered.edit->text().isEmpty());
    if (last) {
        focusCompute();
    } else {
        focusAndSelect(p.fields[index + 1].edit);
    }
}

void PositionWindow::focusAndSelect(QWidget* widget) {
    widget->setFocus();
    if (auto* edit = qobject_cast<EntryField*>(widget)) {
        edit->selectAll();
    }
}

void PositionWindow::focusCompute() {
    m_buttonFields[1]->setFocus();
    m_buttonGroup->showHover(m_buttonFields[1]);
}

void PositionWindow::focusFirstField() {
    focusAndSelect(page(currentPage()).fields.front().edit);
}

// ---- The security -----------------------------------------------------------------------

void PositionWindow::codeEntered() {
    const std::string text = ToAscii(m_code->text());
    if (!text.empty()) {
        const CodeFacts facts = LookUpSecurity(text, selectedMarket());
        m_codeFacts->setText(FromUtf8(facts.description));
        const ColorSlot slot = facts.known ? kSlotDescription : kSlotLoss;
        SetForeground(m_codeFacts, SchemeColor(m_state.scheme.colors[slot]));
        if (facts.known) {
            if (facts.market) {
                m_market->setCurrentIndex(*facts.market == Market::Shanghai ? 0 : 1);
            }
            m_type->setCurrentIndex(NumberOf(facts.type) - 1);
            m_board->setCurrentIndex(facts.board);
        }
    }
    focusFirstField();
}

void PositionWindow::selectionChanged() {
    m_feeModel->setText(FromUtf8(ModelLabel(m_state.feeModel, FromQDate(m_tradeDate->date()))));
    resetResults();
}

Market PositionWindow::selectedMarket() const {
    return m_market->currentIndex() == 0 ? Market::Shanghai : Market::Shenzhen;
}

std::optional<ToolSecurity> PositionWindow::security() {
    const Market market = selectedMarket();
    const SecurityType type = *TypeFromNumber(m_type->currentIndex() + 1);
    std::optional<ToolSecurity> found =
        SecurityFor(m_state, market, type, FromQDate(m_tradeDate->date()));
    if (!found) {
        ShowNotice(this, FromUtf8(kNoRulesMessage));
    }
    return found;
}

// ---- Compute, clear, exit ---------------------------------------------------------------

void PositionWindow::compute() {
    Page& p = page(currentPage());
    // Alt+D leaves the focus where it is: a field being typed in counts as committed.
    for (Field& f : p.fields) {
        if (f.edit->hasFocus() && !commitField(f)) {
            return;
        }
    }
    switch (currentPage()) {
    case PositionPage::Target:
        computeTarget();
        break;
    case PositionPage::Average:
        computeAverage();
        break;
    case PositionPage::Swing:
        computeSwing();
        break;
    case PositionPage::Limits:
        computeLimits();
        break;
    }
    focusFirstField();
}

void PositionWindow::computeTarget() {
    const std::optional<ToolSecurity> tool = security();
    if (!tool) {
        return;
    }
    TargetInputs inputs;
    inputs.buyPrice = field(PositionPage::Target, 0).value;
    inputs.quantity = field(PositionPage::Target, 1).value;
    inputs.amount = field(PositionPage::Target, 2).value;
    inputs.stop = m_goalStop->isChecked();
    inputs.yield = m_goalYield->isChecked();
    const TargetAnswer answer = AnswerTarget(*tool, inputs);
    showAnswer(PositionPage::Target, answer.rows, answer.note);
    m_chart->setCurve(answer.curve);
}

void PositionWindow::computeAverage() {
    const std::optional<ToolSecurity> tool = security();
    if (!tool) {
        return;
    }
    AverageInputs inputs;
    inputs.held = field(PositionPage::Average, 0).value;
    inputs.cost = field(PositionPage::Average, 1).value;
    inputs.price = field(PositionPage::Average, 2).value;
    inputs.quantity = field(PositionPage::Average, kAddQuantity).value;
    if (!field(PositionPage::Average, kTargetCost).edit->text().isEmpty()) {
        inputs.targetCost = field(PositionPage::Average, kTargetCost).value;
    }
    const ToolAnswer answer = AnswerAverage(*tool, inputs);
    showAnswer(PositionPage::Average, answer.rows, answer.note);
}

void PositionWindow::computeSwing() {
    const std::optional<ToolSecurity> tool = security();
    if (!tool) {
        return;
    }
    SwingInputs inputs;
    inputs.held = field(PositionPage::Swing, 0).value;
    inputs.cost = field(PositionPage::Swing, 1).value;
    inputs.quantity = field(PositionPage::Swing, 2).value;
    if (!field(PositionPage::Swing, 3).edit->text().isEmpty()) {
        inputs.sellPrice = field(PositionPage::Swing, 3).value;
    }
    if (!field(PositionPage::Swing, 4).edit->text().isEmpty()) {
        inputs.buyPrice = field(PositionPage::Swing, 4).value;
    }
    const ToolAnswer answer = AnswerSwing(*tool, inputs);
    showAnswer(PositionPage::Swing, answer.rows, answer.note);
}

void PositionWindow::computeLimits() {
    LimitInputs inputs;
    inputs.close = field(PositionPage::Limits, 0).value;
    inputs.board = m_board->currentIndex();
    inputs.market = selectedMarket();
    inputs.tradeDate = FromQDate(m_tradeDate->date());
    inputs.listingDays = m_listingDays->isChecked();
    const ToolAnswer answer = AnswerLimits(inputs);
    showAnswer(PositionPage::Limits, answer.rows, answer.note);
}

void PositionWindow::showAnswer(PositionPage which, const std::vector<ResultRow>& rows,
                                const std::string& note) {
    Page& p = page(which);
    p.rows->setRows(rows);
    p.note->setText(FromUtf8(note));
}

void PositionWindow::resetResults() {
    for (Page& p : m_pages) {
        p.rows->setRows({});
        p.note->clear();
    }
    m_chart->setCurve({});
}

void PositionWindow::clear() {
    Page& p = page(currentPage());
    for (Field& f : p.fields) {
        f.edit->setProgramText(QString());
        f.value = 0;
    }
    p.rows->setRows({});
    p.note->clear();
    if (currentPage() == PositionPage::Target) {
        m_chart->setCurve({});
    }
    focusFirstField();
}

void PositionWindow::exit() {
    const QPointer<QWidget> owner = m_owner;
    close();
    if (owner != nullptr) {
        owner->showNormal();
        owner->raise();
        owner->activateWindow();
    }
}

void PositionWindow::titleHandleClicked(int index) {
    if (index == 0) {
        showMinimized();
    } else {
        close(); // the main window stays minimised, as under the ex-rights window
    }
}

void PositionWindow::connectControls() {
    for (std::size_t p = 0; p < m_pages.size(); ++p) {
        const auto which = static_cast<PositionPage>(p);
        for (std::size_t i = 0; i < m_pages[p].fields.size(); ++i) {
            EntryField* edit = m_pages[p].fields[i].edit;
            connect(edit, &EntryField::enterPressed, this,
                    [this, which, i] { fieldEntered(which, i); });
            connect(edit, &EntryField::focusLost, this,
                    [this, which, i] { commitField(field(which, i)); });
        }
    }
    connect(m_code, &EntryField::enterPressed, this, &PositionWindow::codeEntered);
    connect(m_market, &QComboBox::currentIndexChanged, this, &PositionWindow::selectionChanged);
    connect(m_type, &QComboBox::currentIndexChanged, this, &PositionWindow::selectionChanged);
    connect(m_tradeDate, &QDateEdit::dateChanged, this, &PositionWindow::selectionChanged);
    connect(m_tabs, &QTabWidget::currentChanged, this, [this] { focusFirstField(); });
    connect(m_goalYield, &QRadioButton::toggled, this, [this](bool yield) {
        m_goalCaption->setText(yield ? QStringLiteral("目标收益率：(%)")
                                     : QStringLiteral("目标金额：(元)"));
        field(PositionPage::Target, 2).edit->setAccessibleName(SpokenName(m_goalCaption->text()));
    });

    connect(m_exitAction, &QPushButton::clicked, this, &PositionWindow::exit);
    connect(m_computeAction, &QPushButton::clicked, this, &PositionWindow::compute);
    connect(m_clearAction, &QPushButton::clicked, this, &PositionWindow::clear);
}

} // namespace ym::ui
