// The rows of the result grid, kept by the grid itself (no object per cell): each row holds its fetch
// number and its cell texts in one string, so a million rows cost a little over their text. Which
// cells are NULL is kept in a few bits beside the fetch number (they fill the row's padding): a NULL
// reads as an empty text for copying, sorting and export, and only the grid draws it apart.
//
// For a query, column 0 is "ROW#", the row's position in fetch order, and columns 1.. are the query's
// columns. A plan has no "ROW#" column: its columns are all its own.
#pragma once

#include "ColumnKind.h"

#include <QAbstractTableModel>
#include <QIcon>

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class ResultModel : public QAbstractTableModel {
public:
    explicit ResultModel(QObject* parent = nullptr);

    // Drops rows and columns.
    void Clear();
    // "ROW#" followed by the query's column names.
    // `kinds` (one per query column, or empty) decides alignment and sort order.
    void SetColumns(const std::vector<std::string>& queryTitles, const std::vector<ColumnKind>& kinds = {});
    // Columns without "ROW#" (the plan's).
    void SetPlainColumns(const std::vector<std::string>& titles);
    // The query column that a grid column shows; -1 for "ROW#".
    int QueryColumnOf(int column) const { return numbered_ ? column - 1 : column; }
    int QueryColumnCount() const { return numbered_ ? std::max(0, ColumnCount() - 1) : ColumnCount(); }
    // Appends a row; `cells` holds one text per query column. The views learn of appended rows only
    // at the next Publish, so that a fast fetch does not repaint the grid once per row.
    // `nulls`, when given, holds one flag per query column.
    void AppendRow(uint32_t fetchNumber, const std::vector<std::string_view>& cells,
                   const std::vector<bool>* nulls = nullptr);
    // Tells the views about the rows appended since the last call. True when there were any.
    bool Publish();
    bool HasUnpublishedRows() const { return published_ < rows_.size(); }
    // Stable sort of the rows by one column with the grids' comparison.
    void SortRows(int column, bool descending);

    // Every row, published or not.
    int RowCount() const { return static_cast<int>(rows_.size()); }
    int ColumnCount() const { return static_cast<int>(titles_.size()); }
    const std::string& Title(int column) const { return titles_[static_cast<size_t>(column)]; }
    // The text of a cell ("ROW#" is the fetch number).
    std::string Cell(int row, int column) const;
    std::string_view QueryCell(int row, int queryColumn) const;
    bool IsNull(int row, int queryColumn) const;
    // The kind of a query column (Unsupported when not known).
    ColumnKind KindOf(int queryColumn) const;
    // The column the rows are sorted by and the order, -1 when in fetch order.
    int SortColumn() const { return sortColumn_; }
    bool SortDescending() const { return sortDescending_; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    // Bits 0..30 flag NULL cells of the first 31 query columns; bit 31 says that the row has a NULL
    // beyond them, and then a bitmap of every column follows the last cell's '\0'.
    static constexpr uint32_t kWideNulls = 1u << 31;
    static constexpr int kNarrowNullColumns = 31;
    struct Row {
        uint32_t fetchNumber = 0;
        uint32_t nullBits = 0;
        std::string cells; // query cells, each ended by '\0' (cell texts never hold one)
    };
    static std::string_view CellOf(const Row& row, int queryColumn);
    bool RowIsNull(const Row& row, int queryColumn) const;

    std::vector<std::string> titles_;
    std::vector<ColumnKind> kinds_; // of the query columns
    int sortColumn_ = -1;
    bool sortDescending_ = false;
    std::vector<Row> rows_;
    size_t published_ = 0; // rows the views know of
    bool numbered_ = true; // column 0 is "ROW#"
    QIcon rowImage_;
};
