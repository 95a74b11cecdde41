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

Form4::Form4(QWidget* owner)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint), m_owner(owner) {
    setWindowTitle(QStringLiteral("除权、除息价计算器"));
    // Closing unloads the window and its state; the next opening builds it afresh.
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_QuitOnClose, false);
    buildControls();
    connectControls();

    m_keyPreview = new KeyPreview(this, [this](int key) { return Form_KeyDown(key); });
    Form_Load();

    if (owner != nullptr) {
        move(owner->geometry().center() - QPoint(width() / 2, height() / 2));
    }
    m_text1->setFocus();
}

Form4::~Form4() {
    delete m_keyPreview;
}

void Form4::Form_Load() {
    m_text1->setProgramText(QString());
    m_text2->setProgramText(QString());
    m_calc = ExRightsCalculator{};
    m_keyPreview->setEnabled(true);
}

bool Form4::Form_KeyDown(int key) {
    if (key == Qt::Key_F1) {
        Form7::ShowHelp(this);
        return true;
    }
    return false;
}

// ---- Exit, compute, clear ---------------------------------------------------------------

void Form4::Command1_Click() {
    const QPointer<QWidget> owner = m_owner;
    close();
    if (owner != nullptr) {
        owner->showNormal();
        owner->raise();
        owner->activateWindow();
    }
}

void Form4::Command2_Click() {
    const bool forward = m_calc.direction == ExRightsDirection::BeforeToAfter;
    EntryField* source = forward ? m_text1 : m_text2;
    EntryField* target = forward ? m_text2 : m_text1;
    if (source->text().isEmpty()) {
        source->setProgramText(kZeroText); // the stored value is 0 already
    }
    m_calc.plan.withBonus = m_check1->isChecked();
    m_calc.plan.withRights = m_check2->isChecked();
    m_calc.plan.withCash = m_check3->isChecked();
    const double result = m_calc.Compute();
    target->setProgramText(FromUtf8(FormatMask(result, kExRightsMask)));

    m_text1->setReadOnly(true);
    m_text2->setReadOnly(true);
    setAvailable(m_command3, m_text7[2], true);
    // The compute button field has the focus and is about to be disabled: Enter on the
    // clear button field is the next step.
    m_text7[2]->setFocus();
    setAvailable(m_command2, m_text7[1], false);
}

void Form4::Command3_Click() {
    m_text1->setProgramText(QString());
    m_text2->setProgramText(QString());
    m_calc.priceBefore = 0;
    m_calc.priceAfter = 0;
    setAvailable(m_command2, m_text7[1], true);
    (m_calc.direction == ExRightsDirection::AfterToBefore ? m_text2 : m_text1)->setFocus();
    setAvailable(m_command3, m_text7[2], false);
    m_text1->setReadOnly(false);
    m_text2->setReadOnly(false);
}

bool Form4::computeAvailable() const {
    return m_command2->isEnabled();
}

void Form4::setAvailable(QPushButton* button, ButtonField* field, bool available) {
    button->setEnabled(available);
    field->setEnabled(available);
    SetForeground(field, available ? SystemColor(QPalette::WindowText) : kGreyText);
}

// ---- The plan -----------------------------------------------------------------------------

void Form4::planRowClicked(const PlanRow& row) {
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

void Form4::switchOffIncompletePlans() {
    for (const PlanRow& row : m_rows) {
        for (EntryField* field : row.fields) {
            if (field != nullptr && field->text().isEmpty()) {
                row.check->setChecked(false);
            }
        }
    }
}

// ---- Entry fields -------------------------------------------------------------------------

void Form4::readField(EntryField* field, const ExRightsEntry& entry, double& value) {
    const FieldCommit commit = CommitExRightsEntry(entry, ToAscii(field->text()));
    value = commit.value;
    if (commit.newText) {
        field->setProgramText(FromUtf8(*commit.newText));
    }
}

void Form4::enterField(EntryField* field, const ExRightsEntry& entry, double& value) {
    if (field->text().isEmpty()) {
        value = 0;
        field->setProgramText(kZeroText);
        return;
    }
    readField(field, entry, value);
}

void Form4::focusAfterPlanField() {
    if (!computeAvailable()) {
        m_text7[2]->setFocus();
    } else if (m_calc.direction == ExRightsDirection::AfterToBefore) {
        m_text2->setFocus();
    } else {
        m_text1->setFocus();
    }
}

void Form4::Text1_KeyPress() {
    enterField(m_text1, kExRightsPriceEntry, m_calc.priceBefore);
    m_text7[1]->setFocus();
}

void Form4::Text2_KeyPress() {
    enterField(m_text2, kExRightsPriceEntry, m_calc.priceAfter);
    m_text7[1]->setFocus();
}

void Form4::Text3_KeyPress() {
    enterField(m_text3, kBonusEntry, m_calc.plan.bonusPer10);
    focusAfterPlanField();
}

void Form4::Text4_KeyPress() {
    enterField(m_text4, kRightsEntry, m_calc.plan.rightsPer10);
    m_text5->setFocus();
}

void Form4::Text5_KeyPress() {
    enterField(m_text5, kRightsPriceEntry, m_calc.plan.rightsPrice);
    focusAfterPlanField();
    if (m_text4->text().isEmpty() || m_text5->text().isEmpty()) {
        m_check2->setChecked(false);
    }
}

void Form4::Text6_KeyPress() {
    enterField(m_text6, kCashEntry, m_calc.plan.cashPer10);
    focusAfterPlanField();
}

void Form4::Text1_LostFocus() {
    readField(m_text1, kExRightsPriceEntry, m_calc.priceBefore);
}

void Form4::Text2_LostFocus() {
    readField(m_text2, kExRightsPriceEntry, m_calc.priceAfter);
}

void Form4::Text3_LostFocus() {
    readField(m_text3, kBonusEntry, m_calc.plan.bonusPer10);
}

void Form4::Text4_LostFocus() {
    readField(m_text4, kRightsEntry, m_calc.plan.rightsPer10);
}

void Form4::Text5_LostFocus() {
    readField(m_text5, kRightsPriceEntry, m_calc.plan.rightsPrice);
}

void Form4::Text6_LostFocus() {
    readField(m_text6, kCashEntry, m_calc.plan.cashPer10);
}

void Form4::Text1_GotFocus() {
    priceFieldEntered(ExRightsDirection::BeforeToAfter, kForwardCaption);
}

void Form4::Text2_GotFocus() {
    priceFieldEntered(ExRightsDirection::AfterToBefore, kBackwardCaption);
}

void Form4::priceFieldEntered(ExRightsDirection direction, const QString& caption) {
    m_text7[1]->setText(caption);
    m_text7[1]->setAccessibleName(SpokenName(caption));
    m_calc.direction = direction;
    switchOffIncompletePlans();
    // After a computation the price fields wait for Clear.
    if (!computeAvailable()) {
        m_text7[2]->setFocus();
    }
}

// ---- Title strip --------------------------------------------------------------------------

void Form4::Label8_Click(int index) {
    if (index == 0) {
        showMinimized();
    } else {
        close(); // the main window stays minimised
    }
}

void Form4::connectControls() {
    const std::array<std::pair<EntryField*, void (Form4::*)()>, 6> enter{{
        {m_text1, &Form4::Text1_KeyPress},
        {m_text2, &Form4::Text2_KeyPress},
        {m_text3, &Form4::Text3_KeyPress},
        {m_text4, &Form4::Text4_KeyPress},
        {m_text5, &Form4::Text5_KeyPress},
        {m_text6, &Form4::Text6_KeyPress},
    }};
    const std::array<void (Form4::*)(), 6> leave{
        &Form4::Text1_LostFocus, &Form4::Text2_LostFocus, &Form4::Text3_LostFocus,
        &Form4::Text4_LostFocus, &Form4::Text5_LostFocus, &Form4::Text6_LostFocus,
    };
    for (std::size_t i = 0; i < enter.size(); ++i) {
        EntryField* field = enter[i].first;
        connect(field, &EntryField::enterPressed, this, enter[i].second);
        connect(field, &EntryField::focusLost, this, leave[i]);
    }
    connect(m_text1, &EntryField::focusGained, this, &Form4::Text1_GotFocus);
    connect(m_text2, &EntryField::focusGained, this, &Form4::Text2_GotFocus);

    // A check box's procedure runs whenever its value changes, by a click or by the
    // program switching off a plan with missing input.
    connect(m_check1, &QCheckBox::toggled, this, &Form4::Check1_Click);
    connect(m_check2, &QCheckBox::toggled, this, &Form4::Check2_Click);
    connect(m_check3, &QCheckBox::toggled, this, &Form4::Check3_Click);

    connect(m_command1, &QPushButton::clicked, this, &Form4::Command1_Click);
    connect(m_command2, &QPushButton::clicked, this, &Form4::Command2_Click);
    connect(m_command3, &QPushButton::clicked, this, &Form4::Command3_Click);
}

} // namespace ym::ui
