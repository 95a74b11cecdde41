// The parameter settings dialog: every fee parameter of both markets on two pages, the
// display scheme on a third and the fee model with the broker's terms on a fourth, stored
// together when the user confirms. Opened from the main window, which stays hidden and
// disabled until the dialog has closed.
#pragma once

#include "core/display_scheme.h"
#include "core/fee_model.h"
#include "core/program_state.h"

#include <QColor>
#include <QWidget>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QTableWidget;

namespace ym::ui {

class ClickLabel;
class KeyPreview;
class ParameterField;

class SettingsDialog : public QWidget {
    Q_OBJECT
public:
    // Loads the dialog from `state`; show it to open it.
    explicit SettingsDialog(ProgramState& state, QWidget* parent = nullptr);
    ~SettingsDialog() override;

    // Fills every page from memory, the first page and field in front.
    void load();
    // The dialog's key preview: F1 opens the help viewer. True consumes the key.
    bool handleKey(int key);

    // Closes without storing anything.
    void cancel();
    // Stores the pages after the user's confirmation, or closes when nothing changed; a
    // number that cannot be stored keeps the dialog open on its field.
    void confirm();

signals:
    // The parameters, the scheme and the fee model were stored and are in force in memory.
    void settingsChanged();
    // The dialog has closed, whichever way but a failed save: the main window comes back.
    void closed();
    // The settings file could not be written: the program is to end with `code`.
    void programEnded(int code);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // A row of the scheme page: its list, its colour bar and the slot each item edits.
    struct ColorRow {
        QComboBox* list = nullptr;
        ClickLabel* bar = nullptr;
        std::vector<int> itemSlots;
    };

    void buildControls();
    QWidget* buildParameterPage(const QString& name, bool shenzhen,
                                std::vector<ParameterField*>& fields);
    QWidget* buildSchemePage();
    QWidget* buildFeeRulesPage();

    // The keystroke check of a parameter field; `ch` set to 0 discards the key.
    void fieldKeyPress(std::vector<ParameterField*>& fields, int index, char32_t& ch);
    // The same for term field `index`, which Enter also holds to its bounds.
    void termKeyPress(int index, char32_t& ch);
    bool acceptsPaste(const ParameterField* field, const QString& result);
    // The first field whose text holds a number too large to store, or nullptr.
    ParameterField* unstorableField() const;
    // The field's page in front, the field's text selected and the focus in it.
    void showField(ParameterField* field);
    void storeSettings();

    void loadSchemePage();
    // The scheme list's choice is shown on the bars; it is stored by confirm().
    void schemeChosen();
    void showSchemeColors(int scheme);
    // The bar shows the colour of the row's chosen item.
    void showSlotColor(const ColorRow& row);
    // A click on the row's bar: the colour chooser.
    void pickColor(ColorRow& row);

    void loadFeeRulesPage();
    // The model and terms as the page shows them.
    FeeModelSettings pageFeeModel() const;
    // Why term field `index` holds a number the model cannot take; nullopt when it can.
    std::optional<QString> termProblem(std::size_t index) const;
    // The official fees in force on the day the page shows.
    void showRules();

    ProgramState& m_state;
    KeyPreview* m_keyPreview = nullptr;
    bool m_changed = false;
    bool m_programEnding = false; // the settings file could not be written
    std::int16_t m_workingScheme = 0;

    QTabWidget* m_pages = nullptr;
    std::vector<ParameterField*> m_shanghaiFields; // A1..A27
    std::vector<ParameterField*> m_shenzhenFields; // B1..B28
    QPushButton* m_cancelButton = nullptr;
    QPushButton* m_okButton = nullptr;

    // The scheme page.
    QComboBox* m_schemeList = nullptr;
    ColorRow m_panelRow;              // Combo4, Label5
    ColorRow m_textRow;               // Combo2, Label7
    ColorRow m_lineRow;               // Combo3, Label9
    std::optional<QColor> m_lastPick; // since the dialog was opened

    // The fee rules page.
    QRadioButton* m_classicModel = nullptr;
    QRadioButton* m_officialModel = nullptr;
    std::vector<ParameterField*> m_termFields; // the commission rate, then the three minimums
    QCheckBox* m_minimumWaived = nullptr;
    QCheckBox* m_includesExchangeFees = nullptr;
    QDateEdit* m_rulesDay = nullptr;      // the day of the table
    QTableWidget* m_rulesTable = nullptr; // the fees in force that day
    QLabel* m_noRulesLabel = nullptr;     // in the table's place when there are no rules
};

} // namespace ym::ui
