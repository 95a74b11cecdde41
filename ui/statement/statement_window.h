// The statement window (对账单核对): the exports a trading client wrote, opened by the file
// dialog or dropped on the window, reviewed as yuanmate-calc statement reviews them: the
// broker's terms found, fees per year as a table and a bar chart, the lines whose fees differ
// from the rules in a table to sort and copy, and what other terms would have charged. The
// fee model and the classic parameters are the main window's; its broker's terms fill the
// other terms to begin with. The main window waits minimised meanwhile and is given back by
// the exit button.
#pragma once

#include "core/program_state.h"
#include "core/statement_review.h"

#include <QStringList>
#include <QWidget>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;

namespace ym::ui {

class ButtonField;
class ButtonFieldGroup;
class DataTable;
class EntryField;
class FeeChart;
class KeyPreview;

class StatementWindow : public QWidget {
    Q_OBJECT
public:
    // Placed centred on `owner`, the main window.
    StatementWindow(const ProgramState& state, QWidget* owner);
    ~StatementWindow() override;

    // Asks for the files to open and reviews them.
    void chooseFiles();
    // Reviews `paths` under the other terms as the fields hold them. When a file cannot be
    // read, or the other rate is beyond the legal cap, the user is told which and why, and
    // the window keeps what it showed: false.
    bool openFiles(const QStringList& paths);
    // The same files again, under the other terms as the fields now hold them.
    void reviewAgain();
    void exitToMainWindow();

    // The window's key preview: F1 opens the help viewer at this window's section.
    bool handleKey(int key);

    const QStringList& files() const { return m_files; }
    const statement::StatementReport& report() const { return m_report; }

signals:
    // Closed by its exit action, which gives the main window back; "X" only closes.
    void exited();

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // The window's own light colour behind its controls; the report's panels take the
    // display scheme's colours.
    static constexpr QColor kPanelColor{224, 232, 255};

    void buildControls();
    void buildTitleStrip();
    void buildReport();
    void buildWhatIf();
    void connectControls();

    // The review options: the main window's fee model, the other terms of the fields.
    statement::ReviewOptions reviewOptions() const;
    // The fields' other terms from the broker's terms of the main window.
    void fillWhatIf(const BrokerTerms& terms);
    void showReport();
    QString termsText() const;
    QString summaryText() const;
    QString savingText() const;

    const ProgramState& m_state;
    KeyPreview* m_keyPreview = nullptr;
    QStringList m_files;
    statement::StatementReport m_report;

    QWidget* m_panel = nullptr;
    QLabel* m_filesLabel = nullptr; // the files and what they hold
    QLabel* m_termsText = nullptr;
    DataTable* m_years = nullptr;
    FeeChart* m_chart = nullptr;
    QLabel* m_differingCaption = nullptr;
    DataTable* m_differing = nullptr;
    EntryField* m_whatIfRate = nullptr; // in ten-thousandths, as brokers quote it
    QCheckBox* m_whatIfNoMinimum = nullptr;
    QComboBox* m_whatIfIncludes = nullptr; // unchanged, 含规费, 不含规费
    QLabel* m_savingText = nullptr;
    // Push buttons carrying the actions and the access keys, under the panel.
    QPushButton* m_openButton = nullptr;
    QPushButton* m_reviewButton = nullptr;
    QPushButton* m_exitButton = nullptr;
    ButtonField* m_openField = nullptr;
    ButtonField* m_reviewField = nullptr;
    ButtonField* m_exitField = nullptr;
    ButtonFieldGroup* m_buttonFields = nullptr;
};

} // namespace ym::ui
