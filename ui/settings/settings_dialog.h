// The parameter settings dialog: every fee parameter of both markets on two pages and the
// display scheme on a third, stored together when the user confirms. Opened from the main
// window, which stays hidden and disabled until the dialog has closed.
#pragma once

#include "core/display_scheme.h"
#include "core/program_state.h"

#include <QWidget>
#include <cstdint>
#include <vector>

class QComboBox;
class QPushButton;
class QTabWidget;

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

signals:
    // The parameters and the scheme were stored and are in force in memory.
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

    void fieldKeyPress(std::vector<ParameterField*>& fields, int index, char32_t& ch);
    bool acceptsPaste(const ParameterField* field, const QString& result);
    // The first field whose text holds a number too large to store, or nullptr.
    ParameterField* unstorableField() const;
    void storeSettings();

    void loadSchemePage();
    void showSchemeColors(int scheme);
    void showSlotColor(const ColorRow& row);
    void pickColor(ColorRow& row);

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
};

} // namespace ym::ui
