#include "ui/exrights/exrights_window.h"

#include "core/entry_rules.h"
#include "core/number_text.h"
#include "ui/common/button_field.h"
#include "ui/common/colors.h"
#include "ui/common/controls.h"
#include "ui/common/entry_field.h"
#include "ui/common/key_preview.h"
#include "ui/common/text.h"
#include "ui/help/help_window.h"

#include <QCheckBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>

namespace ym::ui {

namespace {

const QString kForwardCaption = QStringLiteral("等于★==>");
const QString kBackwardCaption = QStringLiteral("<==☆等于");
const QString kZeroText = QStringLiteral("0.00");

// The desktop's own colours, as the system colours of a classic window would be.
QColor SystemColor(QPalette::ColorRole role) {
    return QGuiApplication::palette().color(QPalette::Active, role);
}

} // namespace

ExRightsWindow::ExRightsWindow(QWidget* owner)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint) {
    setWindowTitle(QStringLiteral("除权、除息价计算器"));
    // Closing unloads the window and its state; the next opening builds it afresh.
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_QuitOnClose, false);
    buildControls();
    connectControls();

    m_keyPreview = new KeyPreview(this, [this](int key) { return handleKey(key); });
    load();

    if (owner != nullptr) {
        move(owner->geometry().center() - QPoint(width() / 2, height() / 2));
    }
    m_priceBefore->setFocus();
}

ExRightsWindow::~ExRightsWindow() {
    delete m_keyPreview;
}

void ExRightsWindow::load() {
    m_priceBefore->setProgramText(QString());
    m_priceAfter->setProgramText(QString());
    m_calc = ExRightsCalculator{};
    m_keyPreview->setEnabled(true);
}

bool ExRightsWindow::handleKey(int key) {
    if (key == Qt::Key_F1) {
        HelpWindow::ShowHelp(this);
        return true;
    }
    return false;
}

// ---- Exit, compute, clear ---------------------------------------------------------------

void ExRightsWindow::exitToMainWindow() {
    close();
    emit exited();
}

void ExRightsWindow::compute() {
    const bool forward = m_calc.direction == ExRightsDirection::BeforeToAfter;
    EntryField* source = forward ? m_priceBefore : m_priceAfter;
    EntryField* target = forward ? m_priceAfter : m_priceBefore;
    if (source->text().isEmpty()) {
        source->setProgramText(kZeroText); // the stored value is 0 already
    }
    m_calc.plan.withBonus = m_bonusCheck->isChecked();
    m_calc.plan.withRights = m_rightsCheck->isChecked();
    m_calc.plan.withCash = m_cashCheck->isChecked();
    const double result = m_calc.Compute();
    target->setProgramText(FromUtf8(FormatMask(result, kExRightsMask)));

    m_priceBefore->setReadOnly(true);
    m_priceAfter->setReadOnly(true);
    setAvailable(m_clearButton, m_clearField, true);
    // The compute button field has the focus and is about to be disabled: Enter on the
    // clear button field is the next step.
    m_clearField->setFocus();
    setAvailable(m_computeButton, m_computeField, false);
}

void ExRightsWindow::clear() {
    m_priceBefore->setProgramText(QString());
    m_priceAfter->setProgramText(QString());
    m_calc.priceBefore = 0;
    m_calc.priceAfter = 0;
    setAvailable(m_computeButton, m_computeField, true);
    (m_calc.direction == ExRightsDirection::AfterToBefore ? m_priceAfter : m_priceBefore)
        ->setFocus();
    setAvailable(m_clearButton, m_clearField, false);
    m_priceBefore->setReadOnly(false);
    m_priceAfter->setReadOnly(false);
}

bool ExRightsWindow::computeAvailable() const {
    return m_computeButton->isEnabled();
}

void ExRightsWindow::setAvailable(QPushButton* button, ButtonField* field, bool available) {
    button->setEnabled(available);
    field->setEnabled(available);
    SetForeground(field, available ? SystemColor(QPalette::WindowText) : kGreyText);
}

// ---- The plan -----------------------------------------------------------------------------

void ExRightsWindow::planRowClicked(const PlanRow& row) {
    const bool on = row.check->isChecked();
    SetForeground(row.check, on ? SystemColor(QPalette::ButtonText) : kGreyText);
    for (QLabel* label : row.labels) {
        if (label != nullptr) {
            label->setEnabled(on);
        }
    }
    for (std::size_t i = 0; i < row.fields.size(); ++i) {
        EntryField* field = row.fields[i];
        if (field == nullptr) {
            continue;
        }
        field->setEnabled(on);
        SetBackground(field, on ? kTeal : kLightBlue);
        if (!on) {
            field->setProgramText(QString());
            *row.values[i] = 0;
        }
    }
    if (on) {
        row.fields[0]->setFocus();
    }
}

void ExRightsWindow::switchOffIncompletePlans() {
    for (const PlanRow& row : m_rows) {
        for (EntryField* field : row.fields) {
            if (field != nullptr && field->text().isEmpty()) {
                row.check->setChecked(false);
            }
        }
    }
}

// ---- Entry fields -------------------------------------------------------------------------

void ExRightsWindow::readField(EntryField* field, const ExRightsEntry& entry, double& value) {
    const FieldCommit commit = CommitExRightsEntry(entry, ToAscii(field->text()));
    value = commit.value;
    if (commit.newText) {
        field->setProgramText(FromUtf8(*commit.newText));
    }
}

void ExRightsWindow::enterField(EntryField* field, const ExRightsEntry& entry, double& value) {
    if (field->text().isEmpty()) {
        value = 0;
        field->setProgramText(kZeroText);
        return;
    }
    readField(field, entry, value);
}

void ExRightsWindow::focusAfterPlanField() {
    if (!computeAvailable()) {
        m_clearField->setFocus();
    } else if (m_calc.direction == ExRightsDirection::AfterToBefore) {
        m_priceAfter->setFocus();
    } else {
        m_priceBefore->setFocus();
    }
}

void ExRightsWindow::priceBeforeEntered() {
    enterField(m_priceBefore, kExRightsPriceEntry, m_calc.priceBefore);
    m_computeField->setFocus();
}

void ExRightsWindow::priceAfterEntered() {
    enterField(m_priceAfter, kExRightsPriceEntry, m_calc.priceAfter);
    m_computeField->setFocus();
}

void ExRightsWindow::bonusEntered() {
    enterField(m_bonusShares, kBonusEntry, m_calc.plan.bonusPer10);
    focusAfterPlanField();
}

void ExRightsWindow::rightsSharesEntered() {
    enterField(m_rightsShares, kRightsEntry, m_calc.plan.rightsPer10);
    m_rightsPrice->setFocus();
}

void ExRightsWindow::rightsPriceEntered() {
    enterField(m_rightsPrice, kRightsPriceEntry, m_calc.plan.rightsPrice);
    focusAfterPlanField();
    if (m_rightsShares->text().isEmpty() || m_rightsPrice->text().isEmpty()) {
        m_rightsCheck->setChecked(false);
    }
}

void ExRightsWindow::cashEntered() {
    enterField(m_cash, kCashEntry, m_calc.plan.cashPer10);
    focusAfterPlanField();
}

void ExRightsWindow::priceFieldEntered(ExRightsDirection direction, const QString& caption) {
    m_computeField->setText(caption);
    m_computeField->setAccessibleName(SpokenName(caption));
    m_calc.direction = direction;
    switchOffIncompletePlans();
    // After a computation the price fields wait for Clear.
    if (!computeAvailable()) {
        m_clearField->setFocus();
    }
}

// ---- Title strip --------------------------------------------------------------------------

void ExRightsWindow::titleHandleClicked(int index) {
    if (index == 0) {
        showMinimized();
    } else {
        close(); // the main window stays minimised
    }
}

void ExRightsWindow::connectControls() {
    struct Field {
        EntryField* field;
        const ExRightsEntry* entry;
        double* value;
        void (ExRightsWindow::*entered)();
    };
    ExRightsPlan& plan = m_calc.plan;
    const std::array<Field, 6> fields{{
        {m_priceBefore, &kExRightsPriceEntry, &m_calc.priceBefore,
         &ExRightsWindow::priceBeforeEntered},
        {m_priceAfter, &kExRightsPriceEntry, &m_calc.priceAfter,
         &ExRightsWindow::priceAfterEntered},
        {m_bonusShares, &kBonusEntry, &plan.bonusPer10, &ExRightsWindow::bonusEntered},
        {m_rightsShares, &kRightsEntry, &plan.rightsPer10, &ExRightsWindow::rightsSharesEntered},
        {m_rightsPrice, &kRightsPriceEntry, &plan.rightsPrice, &ExRightsWindow::rightsPriceEntered},
        {m_cash, &kCashEntry, &plan.cashPer10, &ExRightsWindow::cashEntered},
    }};
    for (const Field& f : fields) {
        connect(f.field, &EntryField::enterPressed, this, f.entered);
        // Leaving a field reads it.
        connect(f.field, &EntryField::focusLost, this,
                [this, f] { readField(f.field, *f.entry, *f.value); });
    }
    connect(m_priceBefore, &EntryField::focusGained, this,
            [this] { priceFieldEntered(ExRightsDirection::BeforeToAfter, kForwardCaption); });
    connect(m_priceAfter, &EntryField::focusGained, this,
            [this] { priceFieldEntered(ExRightsDirection::AfterToBefore, kBackwardCaption); });

    // A check box's procedure runs whenever its value changes, by a click or by the
    // program switching off a plan with missing input.
    for (const PlanRow& row : m_rows) {
        connect(row.check, &QCheckBox::toggled, this, [this, &row] { planRowClicked(row); });
    }

    connect(m_exitButton, &QPushButton::clicked, this, &ExRightsWindow::exitToMainWindow);
    connect(m_computeButton, &QPushButton::clicked, this, &ExRightsWindow::compute);
    connect(m_clearButton, &QPushButton::clicked, this, &ExRightsWindow::clear);
}

} // namespace ym::ui
