// A read-only table of figures: whole rows selected, sorted by a click on a column's
// heading (numbers by their value, not their text), and Ctrl+C copying the selected rows
// as tab-separated text, one line each, in the order shown, ready for a spreadsheet.
#pragma once

#include <QTableWidget>
#include <optional>

namespace ym::ui {

class DataTable : public QTableWidget {
    Q_OBJECT
public:
    // `headings` name the columns; the table starts empty.
    DataTable(QWidget* parent, const QString& name, const QStringList& headings);

    // Replaces the rows, one cell per column; a cell with a value sorts by it and is
    // aligned right.
    struct Cell {
        QString text;
        std::optional<double> value;
    };
    void setRows(const QList<QList<Cell>>& rows);

    // The selected rows as tab-separated lines, in the order shown.
    QString selectedRowsText() const;
    void copySelectedRows() const;

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

} // namespace ym::ui
