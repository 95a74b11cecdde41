// A panel of result rows: caption on the left, value on the right, each row in the colour of
// its display-scheme slot, on the scheme's panel colour between two rules. Windows only copy
// the core's rows into it; a value that does not fit its column is written smaller, never cut.
#pragma once

#include "core/display_scheme.h"
#include "core/result_rows.h"

#include <QFrame>
#include <QString>
#include <vector>

class QLabel;

namespace ym::ui {

// `text` in 宋体 at `points`, or smaller in half-point steps down to `smallest` until it fits
// the label's width.
void SetFittedText(QLabel* label, const QString& text, double points, double smallest);

class RowPanel : public QFrame {
    Q_OBJECT
public:
    // `rows` rows; their captions are the array `captionName`, their values `valueName`, the
    // rules above and below them `lineName` 0 and 1.
    RowPanel(QWidget* parent, const QString& name, const QRect& where, int rows,
             const char* captionName, const char* valueName, const char* lineName);

    // The first rows.size() rows show `rows`, the others are empty.
    void setRows(const std::vector<ResultRow>& rows);
    // Background, rules and row colours from the scheme; rows keep their slots.
    void setColors(const ColorTable& colors);
    int rowCount() const { return static_cast<int>(m_values.size()); }

private:
    void colorRows();

    std::vector<QLabel*> m_captions;
    std::vector<QLabel*> m_values;
    std::vector<QFrame*> m_rules;
    std::vector<ColorSlot> m_slots;
    ColorTable m_colors{};
};

} // namespace ym::ui
