#include "ui/settings/settings_dialog.h"

#include "core/number_text.h"
#include "core/settings_file.h"
#include "ui/common/key_preview.h"
#include "ui/common/message_box.h"
#include "ui/common/text.h"
#include "ui/help/help_window.h"
#include "ui/settings/parameter_field.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>

namespace ym::ui {

namespace {

const QString kBadInput = QStringLiteral("  ** 错误的输入!请重新输入.");
const QString kStorePrompt = QStringLiteral("  ** 参数信息已经改变,要存储当前的参数信息吗？");
const QString kStored = QStringLiteral("  ** 参数信息已经存储完毕!立即生效.");

constexpr char32_t kEnter = 13;

// Empty, or one number as a whole. Only "." is a decimal point and neither thousands
// separators nor currency signs are taken, whatever the locale: "1,000" would be stored
// as 1.
bool IsWholeNumber(const QString& text) {
    return text.isEmpty() || IsNumeric(ToAscii(text));
}

// The text before a typed key may also be a number still being typed ("-", ".", "4.5E-"),
// so that every number the dialog shows can be typed key by key; a text that no further
// key could make a number ("12a") is refused.
bool CanBecomeNumber(const QString& text) {
    return IsWholeNumber(text) || IsNumeric(ToAscii(text) + '0');
}

void FocusAndSelect(QLineEdit* field) {
    field->setFocus(Qt::OtherFocusReason);
    field->selectAll();
}

} // namespace

Form3::Form3(ProgramState& state, QWidget* parent)
    // A title and a close box only: minimised, it would leave no window of the program
    // in sight while the main window is hidden.
    : QWidget(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      m_state(state) {
    setWindowTitle(QStringLiteral("Yuanmate V5.5 参数设置"));
    // Every way out unloads the dialog; the next opening loads it afresh.
    setAttribute(Qt::WA_DeleteOnClose);
    // The main window is hidden while the dialog is open: closing the dialog is not
    // closing the program's last window.
    setAttribute(Qt::WA_QuitOnClose, false);
    buildControls();

    m_keyPreview = new KeyPreview(this, [this](int key) { return Form_KeyDown(key); });
    connect(m_command1, &QPushButton::clicked, this, &Form3::Command1_Click);
    connect(m_command2, &QPushButton::clicked, this, &Form3::Command2_Click);

    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
    Form_Load();
}

Form3::~Form3() {
    delete m_keyPreview;
}

void Form3::Form_Load() {
    m_changed = false;
    const FeeParameters& parameters = m_state.parameters;
    for (std::size_t i = 0; i < m_text2.size(); ++i) {
        m_text2[i]->setText(FromUtf8(GeneralForm(parameters.shanghai[i])));
    }
    for (std::size_t i = 0; i < m_text3.size(); ++i) {
        m_text3[i]->setText(FromUtf8(GeneralForm(parameters.shenzhen[i])));
    }
    loadSchemePage();
    loadFeeRulesPage();
    m_ssTab1->setCurrentIndex(0);
    FocusAndSelect(m_text2.front());
    m_keyPreview->setEnabled(true);
}

bool Form3::Form_KeyDown(int key) {
    if (key == Qt::Key_F1) {
        Form7::ShowHelp(this);
        return true;
    }
    return false;
}

void Form3::Text2_KeyPress(int index, char32_t& ch) {
    fieldKeyPress(m_text2, index, ch);
}

void Form3::Text3_KeyPress(int index, char32_t& ch) {
    fieldKeyPress(m_text3, index, ch);
}

// A term is a number within its bounds: Enter on one outside them says why and stays.
void Form3::Text4_KeyPress(int index, char32_t& ch) {
    const auto at = static_cast<std::size_t>(index);
    if (ch == kEnter && IsWholeNumber(m_text4[at]->text())) {
        if (const std::optional<QString> problem = termProblem(at)) {
            ShowNotice(this, *problem);
            FocusAndSelect(m_text4[at]);
            ch = 0;
            return;
        }
    }
    fieldKeyPress(m_text4, index, ch);
}

// The check looks at the text as it stands before the key, never at the key itself: a
// wrong character is noticed at the next key.
void Form3::fieldKeyPress(std::vector<ParameterField*>& fields, int index, char32_t& ch) {
    ParameterField* field = fields[static_cast<std::size_t>(index)];
    // Enter takes the text as it is: it must be a number by now.
    const bool passes =
        ch == kEnter ? IsWholeNumber(field->text()) : CanBecomeNumber(field->text());
    if (!passes) {
        ShowNotice(this, kBadInput);
        field->setText(QString());
        ch = 0;
        return;
    }
    m_changed = true;
    if (ch == kEnter) {
        ch = 0;
        // Round the page, never onto another page.
        FocusAndSelect(fields[(static_cast<std::size_t>(index) + 1) % fields.size()]);
    }
}

bool Form3::acceptsPaste(const ParameterField* field, const QString& result) {
    if (result.size() > field->maxLength() || !IsWholeNumber(result)) {
        ShowNotice(this, kBadInput);
        return false;
    }
    m_changed = true;
    return true;
}

ParameterField* Form3::unstorableField() const {
    for (const auto* fields : {&m_text2, &m_text3, &m_text4}) {
        for (ParameterField* field : *fields) {
            if (!TryVal(ToAscii(field->text()))) {
                return field;
            }
        }
    }
    return nullptr;
}

void Form3::Command2_Click() {
    if (m_state.scheme.schemeNumber != m_workingScheme) {
        m_changed = true;
    }
    // Typing in a term field is a change by itself; the model and the two choices count
    // when they differ from what is stored.
    const FeeModelSettings page = pageFeeModel();
    const BrokerTerms& stored = m_state.feeModel.terms;
    if (page.model != m_state.feeModel.model || page.terms.minimumWaived != stored.minimumWaived ||
        page.terms.includesExchangeFees != stored.includesExchangeFees) {
        m_changed = true;
    }
    if (!m_changed) {
        close();
        return;
    }
    // A number beyond the range of a double would be stored as 0 without a word.
    if (ParameterField* field = unstorableField()) {
        ShowNotice(this, kBadInput);
        m_ssTab1->setCurrentWidget(field->parentWidget());
        FocusAndSelect(field);
        return;
    }
    // A term the reader would refuse at the next start would turn the model back to the
    // classic one there.
    for (std::size_t i = 0; i < m_text4.size(); ++i) {
        if (const std::optional<QString> problem = termProblem(i)) {
            ShowNotice(this, *problem);
            m_ssTab1->setCurrentWidget(m_pageFeeRules);
            FocusAndSelect(m_text4[i]);
            return;
        }
    }
    if (ShowNotice(this, kStorePrompt, MessageButtons::OkCancel) == MessageAnswer::Ok) {
        storeSettings();
        return;
    }
    m_changed = false;
    close();
}

// The new parameters and scheme are built apart and saved in one step; memory takes them
// only once the file has them, so a failed save changes nothing anywhere.
void Form3::storeSettings() {
    FeeParameters parameters = m_state.parameters;
    for (std::size_t i = 0; i < m_text2.size(); ++i) {
        parameters.shanghai[i] = Val(ToAscii(m_text2[i]->text()));
    }
    for (std::size_t i = 0; i < m_text3.size(); ++i) {
        parameters.shenzhen[i] = Val(ToAscii(m_text3[i]->text()));
    }
    DisplayScheme scheme = m_state.scheme;
    scheme.SetFromSaved(m_workingScheme);
    const FeeModelSettings model = pageFeeModel();

    if (const auto message = SaveParameters(m_state.settingsPath, parameters, scheme, model)) {
        ShowWarning(this, FromUtf8(MessageText(*message)));
        m_changed = false;
        close();
        emit programEnded(1);
        return;
    }
    m_state.parameters = parameters;
    m_state.scheme = scheme;
    m_state.feeModel = model;
    m_state.feeModelProblems.clear();
    ShowNotice(this, kStored);
    emit settingsChanged();
    m_changed = false;
    close();
}

void Form3::Command1_Click() {
    close();
}

void Form3::closeEvent(QCloseEvent* event) {
    // Closing is never refused and stores nothing.
    event->accept();
    emit closed();
}

} // namespace ym::ui
