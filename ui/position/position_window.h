// The position tools (持仓计算): the target and stop price of a holding, adding to it, the
// same-day swing and the day's price limits, one page each. It starts from the main window's
// market, type, fee model, trade date, prices and quantity; a typed security code fills the
// market, type and board. Enter walks from field to field onto the compute button field, as
// in the other windows. The main window waits minimised until the exit button is used.
#pragma once

#include "core/program_state.h"
#include "core/result_rows.h"
#include "ui/position/position_answers.h"

#include <QColor>
#include <QWidget>
#include <array>
#include <optional>
#include <vector>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QTabWidget;

namespace ym::ui {

class ButtonField;
class ButtonFieldGroup;
class DateField;
class EntryField;
class KeyPreview;
class ProfitChart;
class RowPanel;

enum class PositionPage { Target = 0, Average = 1, Swing = 2, Limits = 3 };

class PositionWindow : public QWidget {
    Q_OBJECT
public:
    // Placed centred on `owner` (the main window). The state gives the starting selection,
    // the fee model and the display scheme.
    PositionWindow(const ProgramState& state, QWidget* owner);
    ~PositionWindow() override;

    // Key preview; true consumes the key.
    bool handleKey(int key);

    PositionPage currentPage() const;
    void showPage(PositionPage page);

    void compute();
    void clear();
    // Closes the window and says so: the main window comes back.
    void exit();

signals:
    // Closed by its exit action; "X" only closes.
    void exited();

private:
    static constexpr QColor kLightBlue{192, 192, 255};
    static constexpr QColor kTeal{0, 192, 192};

    // An entry field of a page, with what its text commits as.
    enum class FieldKind { PaidPrice, Price, Quantity };
    struct Field {
        EntryField* edit = nullptr;
        FieldKind kind = FieldKind::Price;
        double value = 0; // as last committed
    };
    struct Page {
        QWidget* widget = nullptr;
        std::vector<Field> fields;
        RowPanel* rows = nullptr;
        QLabel* note = nullptr;
    };

    void buildControls();
    void buildTitleStrip();
    void buildSecurityRows();
    void buildPages();
    void buildTargetPage();
    void buildAveragePage();
    void buildSwingPage();
    void buildLimitsPage();
    void buildButtons();
    // The entry fields of a page, each under its caption, down the page's left side.
    void addFields(Page& page, int arrayNumber,
                   const std::vector<std::pair<const char*, FieldKind>>& fields);
    void addResults(Page& page, int pageIndex, int rows);
    void connectControls();

    // The starting values from the main window.
    void takeState();
    void setFieldValue(Field& field, double value);

    // Enter in a field: commit, then on along the page's walk.
    void fieldEntered(PositionPage page, std::size_t index);
    // Commits a field's text; false when a price was refused (the field is emptied).
    bool commitField(Field& field);
    // The same for a field of a page, where a quantity to add empties the target cost and the
    // other way round.
    bool commitPageField(PositionPage page, std::size_t index);
    void focusAndSelect(QWidget* widget);
    void focusCompute();
    void focusFirstField();

    void codeEntered();
    void selectionChanged();
    Market selectedMarket() const;
    // The fee rules, grid and lot of the selection; nullopt after telling the user there are
    // no rules on the trade date.
    std::optional<ToolSecurity> security();

    void computeTarget();
    void computeAverage();
    void computeSwing();
    void computeLimits();
    void showAnswer(PositionPage page, const std::vector<ResultRow>& rows, const std::string& note);
    void resetResults();

    void helpRequested();
    void titleHandleClicked(int index);

    Page& page(PositionPage which) { return m_pages[static_cast<std::size_t>(which)]; }
    Field& field(PositionPage which, std::size_t index) { return page(which).fields[index]; }

    const ProgramState& m_state;
    KeyPreview* m_keyPreview = nullptr;
    bool m_committing = false;

    QWidget* m_panel = nullptr; // the light blue background
    EntryField* m_code = nullptr;
    QLabel* m_codeFacts = nullptr;
    QComboBox* m_market = nullptr;
    QComboBox* m_type = nullptr;
    DateField* m_tradeDate = nullptr;
    QLabel* m_feeModel = nullptr;
    QTabWidget* m_tabs = nullptr;
    std::array<Page, 4> m_pages{};
    // The target page's goal: make or lose at most, in yuan or as a yield.
    QRadioButton* m_goalProfit = nullptr;
    QRadioButton* m_goalStop = nullptr;
    QRadioButton* m_goalYuan = nullptr;
    QRadioButton* m_goalYield = nullptr;
    QLabel* m_goalCaption = nullptr;
    ProfitChart* m_chart = nullptr;
    // The limits page's board and the flag for the listing days without limits.
    QComboBox* m_board = nullptr;
    QCheckBox* m_listingDays = nullptr;

    QPushButton* m_exitAction = nullptr;
    QPushButton* m_computeAction = nullptr;
    QPushButton* m_clearAction = nullptr;
    std::array<ButtonField*, 3> m_buttonFields{}; // exit, compute, clear
    ButtonFieldGroup* m_buttonGroup = nullptr;
};

} // namespace ym::ui
