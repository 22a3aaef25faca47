#include "ResultModel.h"

#include "ExecRules.h"

#include <QPainter>
#include <QPixmap>

#include <algorithm>
#include <cstring>

namespace {
QIcon MakeRowImage() {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setPen(QColor(90, 90, 90));
    p.setBrush(QColor(250, 250, 250));
    p.drawRect(2, 3, 11, 9);
    p.setPen(QColor(0, 0, 128));
    p.drawLine(4, 6, 11, 6);
    p.drawLine(4, 9, 11, 9);
    return QIcon(pixmap);
}
} // namespace

ResultModel::ResultModel(QObject* parent) : QAbstractTableModel(parent), rowImage_(MakeRowImage()) {}

void ResultModel::Clear() {
    beginResetModel();
    rows_.clear();
    rows_.shrink_to_fit();
    published_ = 0;
    titles_.clear();
    endResetModel();
}

void ResultModel::SetColumns(const std::vector<std::string>& queryTitles) {
    beginResetModel();
    rows_.clear();
    published_ = 0;
    titles_.clear();
    numbered_ = true;
    titles_.reserve(queryTitles.size() + 1);
    titles_.emplace_back("ROW#");
    titles_.insert(titles_.end(), queryTitles.begin(), queryTitles.end());
    endResetModel();
}

void ResultModel::SetPlainColumns(const std::vector<std::string>& titles) {
    beginResetModel();
    rows_.clear();
    published_ = 0;
    titles_ = titles;
    numbered_ = false;
    endResetModel();
}

void ResultModel::AppendRow(uint32_t fetchNumber, const std::vector<std::string_view>& cells) {
    Row row;
    row.fetchNumber = fetchNumber;
    size_t total = 0;
    for (std::string_view cell : cells)
        total += cell.size() + 1;
    row.cells.reserve(total);
    for (std::string_view cell : cells) {
        // A cell text stops at its first NUL; keep the separator unambiguous.
        row.cells.append(cell.substr(0, std::min(cell.size(), cell.find('\0'))));
        row.cells.push_back('\0');
    }
    rows_.push_back(std::move(row));
}

bool ResultModel::Publish() {
    if (published_ >= rows_.size())
        return false;
    beginInsertRows(QModelIndex(), static_cast<int>(published_), static_cast<int>(rows_.size()) - 1);
    published_ = rows_.size();
    endInsertRows();
    return true;
}

void ResultModel::SortRows(int column, bool descending) {
    if (column < 0 || column >= ColumnCount())
        return;
    Publish();
    emit layoutAboutToBeChanged();
    if (QueryColumnOf(column) < 0) {
        std::stable_sort(rows_.begin(), rows_.end(), [descending](const Row& a, const Row& b) {
            return descending ? a.fetchNumber > b.fetchNumber : a.fetchNumber < b.fetchNumber;
        });
    } else {
        // Each cell's key is read once, then the keys are sorted and the rows follow them: a million
        // rows sort in a fraction of the time that finding and reading the cells in every
        // comparison takes.
        struct Keyed {
            exec::SortKey key;
            uint32_t row;
        };
        std::vector<Keyed> keys;
        keys.reserve(rows_.size());
        for (size_t i = 0; i < rows_.size(); ++i)
            keys.push_back({exec::MakeSortKey(CellOf(rows_[i], QueryColumnOf(column))), static_cast<uint32_t>(i)});
        std::stable_sort(keys.begin(), keys.end(), [descending](const Keyed& a, const Keyed& b) {
            const int c = exec::CompareSortKeys(a.key, b.key);
            return descending ? c > 0 : c < 0;
        });
        std::vector<Row> sorted;
        sorted.reserve(rows_.size());
        for (const Keyed& k : keys)
            sorted.push_back(std::move(rows_[k.row]));
        rows_.swap(sorted);
    }
    emit layoutChanged();
}

std::string_view ResultModel::CellOf(const Row& row, int queryColumn) {
    std::string_view all(row.cells);
    size_t start = 0;
    for (int i = 0; i < queryColumn; ++i) {
        const size_t end = all.find('\0', start);
        if (end == std::string_view::npos)
            return {};
        start = end + 1;
    }
    if (start >= all.size())
        return {};
    const size_t end = all.find('\0', start);
    return all.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
}

std::string_view ResultModel::QueryCell(int row, int queryColumn) const {
    if (row < 0 || row >= RowCount())
        return {};
    return CellOf(rows_[static_cast<size_t>(row)], queryColumn);
}

std::string ResultModel::Cell(int row, int column) const {
    if (row < 0 || row >= RowCount() || column < 0 || column >= ColumnCount())
        return std::string();
    if (QueryColumnOf(column) < 0)
        return std::to_string(rows_[static_cast<size_t>(row)].fetchNumber);
    return std::string(QueryCell(row, QueryColumnOf(column)));
}

int ResultModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(published_);
}

int ResultModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount();
}

QVariant ResultModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid())
        return {};
    if (role == Qt::DisplayRole) {
        if (QueryColumnOf(index.column()) < 0)
            return QString::number(rows_[static_cast<size_t>(index.row())].fetchNumber);
        const std::string_view text = QueryCell(index.row(), QueryColumnOf(index.column()));
        return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    }
    if (role == Qt::DecorationRole && index.column() == 0)
        return rowImage_;
    return {};
}

QVariant ResultModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= ColumnCount())
        return {};
    return QString::fromStdString(titles_[static_cast<size_t>(section)]);
}
