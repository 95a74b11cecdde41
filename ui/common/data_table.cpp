#include "ui/common/data_table.h"

#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QKeyEvent>
#include <algorithm>

namespace ym::ui {

namespace {

// A cell sorting by its number; text cells keep the table's own order of texts.
class NumberItem : public QTableWidgetItem {
public:
    NumberItem(const QString& text, double value) : QTableWidgetItem(text), m_value(value) {
        setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
    bool operator<(const QTableWidgetItem& other) const override {
        if (const auto* number = dynamic_cast<const NumberItem*>(&other)) {
            return m_value < number->m_value;
        }
        return QTableWidgetItem::operator<(other);
    }

private:
    double m_value;
};

} // namespace

DataTable::DataTable(QWidget* parent, const QString& name, const QStringList& headings)
    : QTableWidget(0, static_cast<int>(headings.size()), parent) {
    setObjectName(name);
    setHorizontalHeaderLabels(headings);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    horizontalHeader()->setHighlightSections(false);
    setWordWrap(false);
}

void DataTable::setRows(const QList<QList<Cell>>& rows) {
    // Sorting while rows are filled would move them under the loop.
    const bool sorting = isSortingEnabled();
    setSortingEnabled(false);
    clearContents();
    setRowCount(static_cast<int>(rows.size()));
    for (int r = 0; r < rowCount(); ++r) {
        const QList<Cell>& row = rows[r];
        for (int c = 0; c < std::min(columnCount(), static_cast<int>(row.size())); ++c) {
            const Cell& cell = row[c];
            setItem(r, c,
                    cell.value ? new NumberItem(cell.text, *cell.value)
                               : new QTableWidgetItem(cell.text));
        }
    }
    setSortingEnabled(sorting);
}

QString DataTable::selectedRowsText() const {
    QList<int> rows;
    for (const QModelIndex& index : selectionModel()->selectedRows()) {
        rows.append(index.row());
    }
    std::sort(rows.begin(), rows.end());
    QString text;
    for (int r : rows) {
        QStringList fields;
        for (int c = 0; c < columnCount(); ++c) {
            const QTableWidgetItem* cell = item(r, c);
            fields.append(cell != nullptr ? cell->text() : QString());
        }
        text += fields.join(QLatin1Char('\t')) + QLatin1Char('\n');
    }
    return text;
}

void DataTable::copySelectedRows() const {
    const QString text = selectedRowsText();
    if (!text.isEmpty()) {
        QApplication::clipboard()->setText(text);
    }
}

void DataTable::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Copy)) {
        copySelectedRows();
        event->accept();
        return;
    }
    QTableWidget::keyPressEvent(event);
}

} // namespace ym::ui
