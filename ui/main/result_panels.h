// The two result panels of the trade calculator: the A-share (yuan) panel and the
// B-share (dollar) panel, placed one over the other with a black shadow behind them.
// Windows only copy the core's rows into these labels; nothing is formatted here.
#pragma once

#include "core/display_scheme.h"
#include "core/result_rows.h"

#include <QColor>
#include <vector>

class QFrame;
class QLabel;
class QWidget;

namespace ym::ui {

struct ResultPanel {
    Panel kind = Panel::AShare;
    QFrame* picture = nullptr;
    std::vector<QLabel*> captions; // Label3 / Label7
    std::vector<QLabel*> values;   // Label4 / Label8
    std::vector<QFrame*> lines;    // Line3, Line4 / Line5_0, Line6_0
    std::vector<QLabel*> notes;    // Label10 / Label5, Label9
};

struct ResultPanels {
    QFrame* shadow = nullptr; // Picture4
    ResultPanel a;            // Picture2_0
    ResultPanel b;            // Picture2_1

    ResultPanel& operator[](Panel panel) { return panel == Panel::AShare ? a : b; }
};

// Builds both panels inside `parent` with their top-left corner at (left, top) twips.
ResultPanels BuildResultPanels(QWidget* parent, double left, double top);

// Shows one panel and hides the other.
void ShowPanel(ResultPanels& panels, Panel shown);

// The value texts of the rows (captions are fixed when the panel is built).
void SetRowValues(ResultPanel& panel, const std::vector<ResultRow>& rows);
// The text colour of a row, caption and value alike.
void SetRowColor(ResultPanel& panel, int row, const QColor& color);
// The colour of a row's own slot under `colors`, for every row.
void ColorAllRows(ResultPanel& panel, const std::vector<ResultRow>& rows, const ColorTable& colors);
// The net-profit and yield rows take the colour of their slot in `rows`.
void ColorProfitRows(ResultPanel& panel, const std::vector<ResultRow>& rows,
                     const ColorTable& colors);

// Panel background, grid lines and currency notes from the scheme.
void ColorBackground(ResultPanel& panel, const ColorTable& colors);
void ColorLines(ResultPanel& panel, const ColorTable& colors);
void ColorNotes(ResultPanel& panel, const ColorTable& colors);

} // namespace ym::ui
