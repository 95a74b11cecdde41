// The parameter settings dialog: every fee parameter of both markets on two pages, the
// display scheme on a third and the fee model with the broker's terms on a fourth, stored
// together when the user confirms. Opened from the main window, which stays hidden and
// disabled until the dialog has closed.
#pragma once

#include "core/display_scheme.h"
#include "core/fee_model.h"
#include "core/program_state.h"

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

class Form3 : public QWidget {
    Q_OBJECT
public:
    // Loads the dialog from `state`; show it to open it.
    explicit Form3(ProgramState& state, QWidget* parent = nullptr);
    ~Form3() override;

    void Form_Load();
    // Key preview; true consumes the key.
    bool Form_KeyDown(int key);

    // The keystroke check of the parameter fields; `ch` set to 0 discards the key.
    void Text2_KeyPress(int index, char32_t& ch);
    void Text3_KeyPress(int index, char32_t& ch);

    void Command1_Click(); // Cancel
    void Command2_Click(); // OK

    // The scheme page.
    void Combo1_Click();
    void Combo2_Click();
    void Combo3_Click();
    void Combo4_Click();
    void Label5_Click();
    void Label7_Click();
    void Label9_Click();

    // The fee rules page: the broker's terms' fields, the day of the table.
    void Text4_KeyPress(int index, char32_t& ch);
    void DTPicker1_Change();

signals:
    // The parameters, the scheme and the fee model were stored and are in force in memory.
    void settingsChanged();
    // The dialog has closed, whichever way.
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

    void fieldKeyPress(std::vector<ParameterField*>& fields, int index, char32_t& ch);
    bool acceptsPaste(const ParameterField* field, const QString& result);
    // The first field whose text holds a number too large to store, or nullptr.
    ParameterField* unstorableField() const;
    void storeSettings();

    void loadSchemePage();
    void showSchemeColors(int scheme);
    void showSlotColor(const ColorRow& row);
    void pickColor(ColorRow& row);

    void loadFeeRulesPage();
    // The model and terms as the page shows them.
    FeeModelSettings pageFeeModel() const;
    // Why term field `index` holds a number the model cannot take; nullopt when it can.
    std::optional<QString> termProblem(std::size_t index) const;
    void showRules();

    ProgramState& m_state;
    KeyPreview* m_keyPreview = nullptr;
    bool m_changed = false;
    std::int16_t m_workingScheme = 0;

    QTabWidget* m_ssTab1 = nullptr;
    std::vector<ParameterField*> m_text2; // Shanghai, A1..A27
    std::vector<ParameterField*> m_text3; // Shenzhen, B1..B28
    QPushButton* m_command1 = nullptr;
    QPushButton* m_command2 = nullptr;
    QComboBox* m_combo1 = nullptr;
    ColorRow m_panelRow; // Combo4, Label5
    ColorRow m_textRow;  // Combo2, Label7
    ColorRow m_lineRow;  // Combo3, Label9

    QWidget* m_pageFeeRules = nullptr;
    QRadioButton* m_option1 = nullptr;    // 经典参数
    QRadioButton* m_option2 = nullptr;    // 官方规则
    std::vector<ParameterField*> m_text4; // the commission rate, then the three minimums
    QCheckBox* m_check1 = nullptr;        // the minimum waived
    QCheckBox* m_check2 = nullptr;        // the rate includes the exchanges' fees
    QDateEdit* m_dtPicker1 = nullptr;     // the day of the table
    QTableWidget* m_listView1 = nullptr;  // the fees in force that day
    QLabel* m_label17 = nullptr;          // in the table's place when there are no rules
};

} // namespace ym::ui
