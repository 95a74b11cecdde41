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

class ExRightsWindow : public QWidget {
    Q_OBJECT
public:
    // Placed centred on `owner`, the main window.
    explicit ExRightsWindow(QWidget* owner);
    ~ExRightsWindow() override;

    // The calculator state: the numbers as last read from the fields.
    const ExRightsCalculator& calculator() const { return m_calc; }

    // Empty prices, the calculator state of a new window, key preview on.
    void load();
    // The window's key preview: F1 opens the help viewer. True consumes the key.
    bool handleKey(int key);

    // The three actions of the button fields and their push buttons.
    void exitToMainWindow();
    void compute();
    void clear();

signals:
    // Closed by its exit action, which gives the main window back; "X" only closes.
    void exited();

private:
    // The window's fixed colours: its panel, group, button fields and switched-off fields
    // in one light blue, a field taking input in teal. Switched-off captions are the
    // classic grey: the desktop's own disabled-text colour is meant for its own
    // backgrounds and all but vanishes on this light blue.
    static constexpr QColor kLightBlue{192, 192, 255};
    static constexpr QColor kTeal{0, 192, 192};
    static constexpr QColor kGreyText{128, 128, 128};

    // One plan component: its check box, the labels and fields of its row, and the
    // values those fields hold (the rights row has two of each).
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

    // A plan row's check box changed: its fields on, or off and emptied.
    void planRowClicked(const PlanRow& row);

    // Enter in a field.
    void priceBeforeEntered();
    void priceAfterEntered();
    void bonusEntered();
    void rightsSharesEntered();
    void rightsPriceEntered();
    void cashEntered();
    // A price field getting the focus chooses the direction.
    void priceFieldEntered(ExRightsDirection direction, const QString& caption);

    // The title strip's "-" (index 0) and "X" (index 1).
    void titleHandleClicked(int index);

    // Reads a field's text into `value`: empty is 0 and stays empty; a money value with a
    // fraction is written back with two to four decimals.
    void readField(EntryField* field, const ExRightsEntry& entry, double& value);
    // Enter's reading: an empty field becomes "0.00".
    void enterField(EntryField* field, const ExRightsEntry& entry, double& value);
    // Where Enter in a plan field leads: on to clear after a computation, else back to
    // the price field of the current direction.
    void focusAfterPlanField();
    void switchOffIncompletePlans();
    // Compute (push button and button field) or clear on or off together.
    void setAvailable(QPushButton* button, ButtonField* field, bool available);
    bool computeAvailable() const;

    ExRightsCalculator m_calc;
    KeyPreview* m_keyPreview = nullptr;

    QWidget* m_panel = nullptr; // the light blue background holding the rest
    QGroupBox* m_planGroup = nullptr;
    EntryField* m_priceBefore = nullptr;
    EntryField* m_priceAfter = nullptr;
    EntryField* m_bonusShares = nullptr;  // per 10 shares
    EntryField* m_rightsShares = nullptr; // per 10 shares
    EntryField* m_rightsPrice = nullptr;
    EntryField* m_cash = nullptr; // per 10 shares
    QCheckBox* m_bonusCheck = nullptr;
    QCheckBox* m_rightsCheck = nullptr;
    QCheckBox* m_cashCheck = nullptr;
    // Captions of the bonus, rights and cash fields, then of the rights price.
    std::array<QLabel*, 4> m_planLabels{};
    std::array<PlanRow, 3> m_rows{}; // bonus, rights, cash
    // Tiny push buttons under the panel carrying the actions and the access keys.
    QPushButton* m_exitButton = nullptr;
    QPushButton* m_computeButton = nullptr;
    QPushButton* m_clearButton = nullptr;
    // What the user sees and clicks.
    ButtonField* m_exitField = nullptr;
    ButtonField* m_computeField = nullptr; // its caption shows the direction
    ButtonField* m_clearField = nullptr;
    ButtonFieldGroup* m_buttonFields = nullptr;
};

} // namespace ym::ui
