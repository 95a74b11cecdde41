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

SettingsDialog::SettingsDialog(ProgramState& state, QWidget* parent)
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

    m_keyPreview = new KeyPreview(this, [this](int key) { return handleKey(key); });
    connect(m_cancelButton, &QPushButton::clicked, this, &SettingsDialog::cancel);
    connect(m_okButton, &QPushButton::clicked, this, &SettingsDialog::confirm);

    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
    load();
}

SettingsDialog::~SettingsDialog() {
    delete m_keyPreview;
}

void SettingsDialog::load() {
    m_changed = false;
    const FeeParameters& parameters = m_state.parameters;
    for (std::size_t i = 0; i < m_shanghaiFields.size(); ++i) {
        m_shanghaiFields[i]->setText(FromUtf8(GeneralForm(parameters.shanghai[i])));
    }
    for (std::size_t i = 0; i < m_shenzhenFields.size(); ++i) {
        m_shenzhenFields[i]->setText(FromUtf8(GeneralForm(parameters.shenzhen[i])));
    }
    loadSchemePage();
    loadFeeRulesPage();
    m_pages->setCurrentIndex(0);
    FocusAndSelect(m_shanghaiFields.front());
    m_keyPreview->setEnabled(true);
}

bool SettingsDialog::handleKey(int key) {
    if (key == Qt::Key_F1) {
        HelpWindow::ShowHelp(this);
        return true;
    }
    return false;
}

// A term is a number within its bounds: Enter on one outside them says why and stays.
void SettingsDialog::termKeyPress(int index, char32_t& ch) {
    const auto at = static_cast<std::size_t>(index);
    if (ch == kEnter && IsWholeNumber(m_termFields[at]->text())) {
        if (const std::optional<QString> problem = termProblem(at)) {
            ShowNotice(this, *problem);
            FocusAndSelect(m_termFields[at]);
            ch = 0;
            return;
        }
    }
    fieldKeyPress(m_termFields, index, ch);
}

// The check looks at the text as it stands before the key, never at the key itself: a
// wrong character is noticed at the next key.
void SettingsDialog::fieldKeyPress(std::vector<ParameterField*>& fields, int index, char32_t& ch) {
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

bool SettingsDialog::acceptsPaste(const ParameterField* field, const QString& result) {
    if (result.size() > field->maxLength() || !IsWholeNumber(result)) {
        ShowNotice(this, kBadInput);
        return false;
    }
    m_changed = true;
    return true;
}

ParameterField* SettingsDialog::unstorableField() const {
    for (const auto* fields : {&m_shanghaiFields, &m_shenzhenFields, &m_termFields}) {
        for (ParameterField* field : *fields) {
            if (!TryVal(ToAscii(field->text()))) {
                return field;
            }
        }
    }
    return nullptr;
}

void SettingsDialog::confirm() {
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
        showField(field);
        return;
    }
    // A term the reader would refuse at the next start would turn the model back to the
    // classic one there.
    for (std::size_t i = 0; i < m_termFields.size(); ++i) {
        if (const std::optional<QString> problem = termProblem(i)) {
            ShowNotice(this, *problem);
            showField(m_termFields[i]);
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

// The page holding the field in front, not only the field's parent: the term fields sit in a
// group box, and the keys must not go to a field the user cannot see.
void SettingsDialog::showField(ParameterField* field) {
    for (int i = 0; i < m_pages->count(); ++i) {
        if (m_pages->widget(i)->isAncestorOf(field)) {
            m_pages->setCurrentIndex(i);
        }
    }
    FocusAndSelect(field);
}

// The new parameters and scheme are built apart and saved in one step; memory takes them
// only once the file has them, so a failed save changes nothing anywhere.
void SettingsDialog::storeSettings() {
    FeeParameters parameters = m_state.parameters;
    for (std::size_t i = 0; i < m_shanghaiFields.size(); ++i) {
        parameters.shanghai[i] = Val(ToAscii(m_shanghaiFields[i]->text()));
    }
    for (std::size_t i = 0; i < m_shenzhenFields.size(); ++i) {
        parameters.shenzhen[i] = Val(ToAscii(m_shenzhenFields[i]->text()));
    }
    DisplayScheme scheme = m_state.scheme;
    scheme.SetFromSaved(m_workingScheme);
    const FeeModelSettings model = pageFeeModel();

    if (const auto message = SaveParameters(m_state.settingsPath, parameters, scheme, model)) {
        ShowWarning(this, FromUtf8(MessageText(*message)));
        m_changed = false;
        m_programEnding = true;
        emit programEnded(1);
        close();
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

void SettingsDialog::cancel() {
    close();
}

void SettingsDialog::closeEvent(QCloseEvent* event) {
    // Closing is never refused and stores nothing.
    event->accept();
    // After a failed save the program ends with the message alone: nothing comes back.
    if (!m_programEnding) {
        emit closed();
    }
}

} // namespace ym::ui
