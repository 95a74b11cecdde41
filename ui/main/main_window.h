// The main window: the trade calculator with its selectors, entry fields, result panels,
// button fields, its own title strip and the tool strip.
#pragma once

#include "core/entry_rules.h"
#include "core/program_state.h"
#include "ui/main/result_panels.h"

#include <QPointer>
#include <QWidget>
#include <array>

class QDateEdit;
class QFrame;
class QLabel;
class QPushButton;
class QRadioButton;
class QGroupBox;
class QToolButton;
class QWindow;

namespace ym::ui {

class ButtonField;
class ButtonFieldGroup;
class EntryField;
class Form3;
class Form4;
class KeyPreview;

class Form1 : public QWidget {
    Q_OBJECT
public:
    explicit Form1(ProgramState& state, QWidget* parent = nullptr);
    ~Form1() override;

    // Start-up: settings file, parameters, scheme, restored selection, key preview.
    // False after a settings-file message: the program must end.
    bool Form_Load();
    // Re-applies the selection when the window takes over from another of ours.
    void Form_Activate();
    // Key preview; true consumes the key.
    bool Form_KeyDown(int key);

    // Actions that everything else calls: calculate, clear, exit.
    void Command1_Click();
    void Command5_Click();
    void Command2_Click();

    // Selectors.
    void Option1_Click();
    void Option2_Click();
    void Option3_Click();
    void Option4_Click();
    void Option5_Click();
    void Option6_Click();
    void Option7_Click();

    // The tool strip.
    void Command6_Click(int index);
    // A trade date committed in the date field.
    void DTPicker1_Change();

    // Both panels back to zero with the profit rows flat; the fields are read again.
    void ResetResults();
    // Zero values, then panels, lines and rows recoloured from the scheme's colours. Used when the
    // settings dialog has saved a new scheme.
    void ApplyDisplayScheme();

    ProgramState& state() { return m_state; }

signals:
    // The program is to end with `code` (exit action, "X", close request).
    void programEnded(int code);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    void buildTitleStrip();
    void buildToolStrip();
    void buildInputPanel();

    // Enter in the entry fields (the fields filter every other key themselves).
    void Text1_KeyPress();
    void Text3_KeyPress();
    void Text2_KeyPress();
    // Commits; false when the buy price was refused.
    bool Text1_Commit();
    void Text3_Commit();
    void Text2_Commit();
    bool commitField(EntryField* field, FieldCommit (*commit)(std::string_view), double& stored);
    void focusAndSelect(EntryField* field);

    void Label13_Click();
    void Label15_Click();

    // Steps of the display scheme, in the order start-up and ApplyDisplayScheme use.
    void resetPanelValues();
    void colorPanels();
    void resetProfitRows();
    // Market option, type option, B-share panel for type 5.
    void restoreSelection();
    void selectionChanged();
    void selectMarket(Market market);
    void selectType(SecurityType type);

    void startCalculator(const QString& startName);
    void startNotebook();
    void startProgram(const QString& companion, const QString& startName,
                      const QStringList& fallbacks, const QString& what);
    // The secondary windows, from their keys and tool buttons: the ex-rights window over
    // the minimised main window, the settings dialog over the hidden one, the about window
    // over the disabled one.
    void openExRights();
    void openSettings();
    void openAbout();

    void focusWindowChanged(QWindow* window);

    // The trade date follows the calendar until the user sets another day; the fee model
    // and the date are shown as they stand.
    void showFeeModel();

    ProgramState& m_state;
    KeyPreview* m_keyPreview = nullptr;
    QPointer<Form3> m_settings; // the parameter settings dialog while it is open
    QPointer<Form4> m_form4;    // while open
    bool m_committing = false;
    bool m_lastActiveWasMain = false;

    // Title strip.
    QFrame* m_picture5 = nullptr;
    // Tool strip.
    QFrame* m_picture3 = nullptr;
    std::array<QToolButton*, 5> m_command6{};
    QLabel* m_label18 = nullptr;      // the fee model and its rule date
    QDateEdit* m_dtPicker1 = nullptr; // the trade date
    bool m_tradeDateSet = false;      // by the user, to a day other than today
    // Working area.
    ResultPanels m_panels;
    QFrame* m_picture1 = nullptr;
    QRadioButton* m_option1 = nullptr;
    QRadioButton* m_option2 = nullptr;
    QRadioButton* m_option3 = nullptr;
    QRadioButton* m_option4 = nullptr;
    QRadioButton* m_option5 = nullptr;
    QRadioButton* m_option6 = nullptr;
    QRadioButton* m_option7 = nullptr;
    EntryField* m_text1 = nullptr;
    EntryField* m_text3 = nullptr;
    EntryField* m_text2 = nullptr;
    ButtonField* m_text4 = nullptr;
    ButtonField* m_text5 = nullptr;
    ButtonField* m_text6 = nullptr;
    ButtonFieldGroup* m_buttonFields = nullptr;
    QPushButton* m_command1 = nullptr;
    QPushButton* m_command5 = nullptr;
    QPushButton* m_command2 = nullptr;
};

} // namespace ym::ui
