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
#include <array>

namespace ym::ui {

namespace {

// The help section each page's F1 opens, in page order.
constexpr std::array<HelpTopic, 4> kPageTopics{HelpTopic::Target, HelpTopic::Average,
                                               HelpTopic::Swing, HelpTopic::Limits};

// The fields of each page, in their order down the page.
namespace target {
constexpr std::size_t kBuyPrice = 0, kQuantity = 1, kGoal = 2;
}
namespace average {
constexpr std::size_t kHeld = 0, kCost = 1, kPrice = 2, kQuantity = 3, kTargetCost = 4;
}
namespace swing {
constexpr std::size_t kHeld = 0, kCost = 1, kQuantity = 2, kSellPrice = 3, kBuyPrice = 4;
}
namespace limits {
constexpr std::size_t kClose = 0;
}

} // namespace

PositionWindow::PositionWindow(const ProgramState& state, QWidget* owner)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint), m_state(state) {
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
        HelpWindow::ShowHelp(this, kPageTopics[static_cast<std::size_t>(currentPage())]);
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
    setFieldValue(field(PositionPage::Target, target::kBuyPrice), m_state.buyPrice);
    setFieldValue(field(PositionPage::Target, target::kQuantity), m_state.quantity);
    setFieldValue(field(PositionPage::Average, average::kHeld), m_state.quantity);
    setFieldValue(field(PositionPage::Average, average::kCost), m_state.buyPrice);
    setFieldValue(field(PositionPage::Average, average::kPrice), m_state.sellPrice);
    setFieldValue(field(PositionPage::Swing, swing::kHeld), m_state.quantity);
    setFieldValue(field(PositionPage::Swing, swing::kCost), m_state.buyPrice);
    setFieldValue(field(PositionPage::Swing, swing::kSellPrice), m_state.sellPrice);
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

bool PositionWindow::commitPageField(PositionPage which, std::size_t index) {
    Page& p = page(which);
    Field& committed = p.fields[index];
    if (!commitField(committed)) {
        return false;
    }
    // A quantity to add and a target cost are two ways of asking: only one may stand.
    const bool askedTwice = which == PositionPage::Average && !committed.edit->text().isEmpty() &&
                            (index == average::kQuantity || index == average::kTargetCost);
    if (askedTwice) {
        Field& other =
            p.fields[index == average::kQuantity ? average::kTargetCost : average::kQuantity];
        other.edit->setProgramText(QString());
        other.value = 0;
    }
    return true;
}

void PositionWindow::fieldEntered(PositionPage which, std::size_t index) {
    if (!commitPageField(which, index)) {
        return; // the refused field keeps the focus
    }
    Page& p = page(which);
    const Field& entered = p.fields[index];
    // A quantity to add needs no target cost: on to compute.
    const bool last = index + 1 == p.fields.size() ||
                      (which == PositionPage::Average && index == average::kQuantity &&
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
    for (std::size_t i = 0; i < p.fields.size(); ++i) {
        if (p.fields[i].edit->hasFocus() && !commitPageField(currentPage(), i)) {
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
    inputs.buyPrice = field(PositionPage::Target, target::kBuyPrice).value;
    inputs.quantity = field(PositionPage::Target, target::kQuantity).value;
    inputs.amount = field(PositionPage::Target, target::kGoal).value;
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
    inputs.held = field(PositionPage::Average, average::kHeld).value;
    inputs.cost = field(PositionPage::Average, average::kCost).value;
    inputs.price = field(PositionPage::Average, average::kPrice).value;
    inputs.quantity = field(PositionPage::Average, average::kQuantity).value;
    if (!field(PositionPage::Average, average::kTargetCost).edit->text().isEmpty()) {
        inputs.targetCost = field(PositionPage::Average, average::kTargetCost).value;
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
    inputs.held = field(PositionPage::Swing, swing::kHeld).value;
    inputs.cost = field(PositionPage::Swing, swing::kCost).value;
    inputs.quantity = field(PositionPage::Swing, swing::kQuantity).value;
    if (!field(PositionPage::Swing, swing::kSellPrice).edit->text().isEmpty()) {
        inputs.sellPrice = field(PositionPage::Swing, swing::kSellPrice).value;
    }
    if (!field(PositionPage::Swing, swing::kBuyPrice).edit->text().isEmpty()) {
        inputs.buyPrice = field(PositionPage::Swing, swing::kBuyPrice).value;
    }
    const ToolAnswer answer = AnswerSwing(*tool, inputs);
    showAnswer(PositionPage::Swing, answer.rows, answer.note);
}

void PositionWindow::computeLimits() {
    LimitInputs inputs;
    inputs.close = field(PositionPage::Limits, limits::kClose).value;
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
    close();
    emit exited();
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
                    [this, which, i] { commitPageField(which, i); });
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
        field(PositionPage::Target, target::kGoal)
            .edit->setAccessibleName(SpokenName(m_goalCaption->text()));
    });

    connect(m_exitAction, &QPushButton::clicked, this, &PositionWindow::exit);
    connect(m_computeAction, &QPushButton::clicked, this, &PositionWindow::compute);
    connect(m_clearAction, &QPushButton::clicked, this, &PositionWindow::clear);
}

} // namespace ym::ui
