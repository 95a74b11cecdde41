// The ex-rights window: converts a share price across a distribution of bonus shares,
// rights shares and cash, forward or back, almost entirely from the keyboard. Enter walks
// from field to field onto the compute button field; after a computation the price
// fields are locked until the clear button field is used. The main window waits
// minimised meanwhile and is given back by the exit button.
#pragma once

#include "core/entry_rules.h"
#include "core/exrights.h"

#include <QColor>
#include <QPointer>
#include <QWidget>
#include <array>

class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;

namespace ym::ui {

class ButtonField;
class ButtonFieldGroup;
class EntryField;
class KeyPreview;

class Form4 : public QWidget {
    Q_OBJECT
public:
    // Placed centred on `owner` (the main window), which exit restores from minimised.
    explicit Form4(QWidget* owner);
    ~Form4() override;

    // The calculator state: the numbers as last read from the fields.
    const ExRightsCalculator& calculator() const { return m_calc; }

    void Form_Load();
    // Key preview; true consumes the key.
    bool Form_KeyDown(int key);

    void Command1_Click(); // exit
    void Command2_Click(); // compute
    void Command3_Click(); // clear

private:
    // The window's fixed colours: its panel, group, button fields and switched-off fields
    // in one light blue, a field taking input in teal. Switched-off captions are the
    // classic grey: the desktop's own disabled-text colour is meant for its own
    // backgrounds and all but vanishes on this light blue.
    static constexpr QColor kLightBlue{192, 192, 255};
    static constexpr QColor kTeal{0, 192, 192};
    static constexpr QColor kGreyText{128, 128, 128};

    // One plan component: its check box, the labels and fields of its row, and the
    // values those fields hold (Check2's row has two of each).
    struct PlanRow {
        QCheckBox* check = nullptr;
        std::array<QLabel*, 2> labels{};
        std::array<EntryField*, 2> fields{};
        std::array<double*, 2> values{};
    };

    void buildControls();
    void buildTitleStrip();
    void buildPrices();
    void buildPlan();
    void buildBottom();
    void connectControls();

    void Check1_Click() { planRowClicked(m_rows[0]); }
    void Check2_Click() { planRowClicked(m_rows[1]); }
    void Check3_Click() { planRowClicked(m_rows[2]); }
    void planRowClicked(const PlanRow& row);

    // Enter in a field.
    void Text1_KeyPress();
    void Text2_KeyPress();
    void Text3_KeyPress();
    void Text4_KeyPress();
    void Text5_KeyPress();
    void Text6_KeyPress();
    // Leaving a field.
    void Text1_LostFocus();
    void Text2_LostFocus();
    void Text3_LostFocus();
    void Text4_LostFocus();
    void Text5_LostFocus();
    void Text6_LostFocus();
    // A price field getting the focus chooses the direction.
    void Text1_GotFocus();
    void Text2_GotFocus();
    void priceFieldEntered(ExRightsDirection direction, const QString& caption);

    void Label8_Click(int index);

    // Reads a field's text into `value`: empty is 0 and stays empty; a money value with a
    // fraction is written back with two to four decimals.
    void readField(EntryField* field, const ExRightsEntry& entry, double& value);
    // Enter's reading: an empty field becomes "0.00".
    void enterField(EntryField* field, const ExRightsEntry& entry, double& value);
    // Where Enter in a plan field leads: on to clear after a computation, else back to
    // the price field of the current direction.
    void focusAfterPlanField();
    void switchOffIncompletePlans();
    // Compute (Command2 and Text7(1)) or clear (Command3 and Text7(2)) on or off together.
    void setAvailable(QPushButton* button, ButtonField* field, bool available);
    bool computeAvailable() const;

    QPointer<QWidget> m_owner;
    ExRightsCalculator m_calc;
    KeyPreview* m_keyPreview = nullptr;

    QWidget* m_picture2 = nullptr;
    QGroupBox* m_frame1 = nullptr;
    EntryField* m_text1 = nullptr;
    EntryField* m_text2 = nullptr;
    EntryField* m_text3 = nullptr;
    EntryField* m_text4 = nullptr;
    EntryField* m_text5 = nullptr;
    EntryField* m_text6 = nullptr;
    QCheckBox* m_check1 = nullptr;
    QCheckBox* m_check2 = nullptr;
    QCheckBox* m_check3 = nullptr;
    std::array<QLabel*, 4> m_label3{};
    std::array<PlanRow, 3> m_rows{};
    QPushButton* m_command1 = nullptr;
    QPushButton* m_command2 = nullptr;
    QPushButton* m_command3 = nullptr;
    std::array<ButtonField*, 3> m_text7{}; // exit, compute, clear
    ButtonFieldGroup* m_buttonFields = nullptr;
};

} // namespace ym::ui
