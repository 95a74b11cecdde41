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
class SettingsDialog;
class ExRightsWindow;
class KeyPreview;
class PositionWindow;

class MainWindow : public QWidget {
    Q_OBJECT
public:
    explicit MainWindow(ProgramState& state, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Start-up: settings file, parameters, scheme, restored selection, key preview.
    // False after a settings-file message: the program must end.
    bool load();
    // The window's key preview: function keys and the letters C, D and X wherever the focus
    // is. True consumes the key.
    bool handleKey(int key);

    // The three actions of the button fields, their letters and access keys.
    void calculate();
    void clearInputs();
    // Saves the selection, then ends the program.
    void exitProgram();

    // Tool button `index` (0 calculator, 1 notebook, 2 settings, 3 ex-rights, 4 about).
    void toolButtonClicked(int index);

    // Both panels back to zero with the profit rows flat; the fields are read again.
    void resetResults();
    // Zero values, then panels, lines and rows recoloured from the scheme's colours. Used when the
    // settings dialog has saved a new scheme.
    void applyDisplayScheme();

    ProgramState& state() { return m_state; }

signals:
    // The program is to end with `code` (exit action, "X", close request).
    void programEnded(int code);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // A selector and what it selects.
    struct MarketOption {
        Market market;
        QRadioButton* button;
    };
    struct TypeOption {
        SecurityType type;
        QRadioButton* button;
    };

    void buildControls();
    void buildTitleStrip();
    void buildToolStrip();
    void buildInputPanel();
    void connectSelectors();

    // Re-applies the selection when the window takes over from another of ours.
    void reapplySelection();

    // Enter in the entry fields (the fields filter every other key themselves).
    void buyPriceEntered();
    void sellPriceEntered();
    void quantityEntered();
    // Commits; false when the buy price was refused.
    bool commitBuyPrice();
    void commitSellPrice();
    void commitQuantity();
    bool commitField(EntryField* field, FieldCommit (*commit)(std::string_view), double& stored);
    void focusAndSelect(EntryField* field);

    // The title strip's "-" and "X".
    void minimise();
    void endWithoutSaving();

    // Steps of the display scheme, in the order start-up and applyDisplayScheme use.
    void resetPanelValues();
    void colorPanels();
    void resetProfitRows();
    // Market option, type option, B-share panel for B shares.
    void restoreSelection();
    // A selector chose `market` or `type`: panels reset, rates of the new selection.
    void marketChosen(Market market);
    void typeChosen(SecurityType type);
    void selectionChanged();
    // Checks the option of `market` or `type`; its action runs when it was not checked.
    void selectMarket(Market market);
    void selectType(SecurityType type);

    // A trade date committed in the date field.
    void tradeDateChanged();

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
    // The exit of the ex-rights window or the position tools gives the window back, restored
    // from minimised, unless the settings dialog is open: then the window stays hidden until
    // the dialog is left.
    void toolWindowExited();
    // The position tools, over the minimised main window as the ex-rights window is.
    void openPositionTools();

    void focusWindowChanged(QWindow* window);

    // The trade date follows the calendar until the user sets another day; the fee model
    // and the date are shown as they stand.
    void showFeeModel();

    ProgramState& m_state;
    KeyPreview* m_keyPreview = nullptr;
    QPointer<SettingsDialog> m_settings;      // while open
    QPointer<ExRightsWindow> m_exRights;      // while open
    QPointer<PositionWindow> m_positionTools; // while open
    bool m_committing = false;
    bool m_lastActiveWasMain = false;

    // Title strip.
    QFrame* m_titleStrip = nullptr;
    // Tool strip.
    QFrame* m_toolStrip = nullptr;
    std::array<QToolButton*, 6> m_toolButtons{}; // by index
    QLabel* m_feeModelLabel = nullptr;           // the fee model and its rule date
    QDateEdit* m_tradeDate = nullptr;
    bool m_tradeDateSet = false; // by the user, to a day other than today
    // Working area.
    ResultPanels m_panels;
    QFrame* m_inputPanel = nullptr;
    std::array<MarketOption, 2> m_marketOptions{}; // Shanghai, Shenzhen
    std::array<TypeOption, 5> m_typeOptions{};     // in their order on the panel
    EntryField* m_buyPrice = nullptr;
    EntryField* m_sellPrice = nullptr;
    EntryField* m_quantity = nullptr;
    // What the user sees and clicks: "计 算(D)", "清 除(C)", "退    出 (X)".
    ButtonField* m_calculateField = nullptr;
    ButtonField* m_clearField = nullptr;
    ButtonField* m_exitField = nullptr;
    ButtonFieldGroup* m_buttonFields = nullptr;
    // Hidden push buttons carrying the actions and the access keys Alt+D, Alt+R, Alt+X.
    QPushButton* m_calculateButton = nullptr;
    QPushButton* m_clearButton = nullptr;
    QPushButton* m_exitButton = nullptr;
};

} // namespace ym::ui
