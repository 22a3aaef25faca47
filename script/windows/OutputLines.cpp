#include "OutputLines.h"

#include <algorithm>

std::string_view CutUtf8(std::string_view text, size_t limit) {
    if (text.size() <= limit)
        return text;
    size_t end = limit;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    return text.substr(0, end);
}

void OutputLines::Clear() {
    beginResetModel();
    lines_.clear();
    published_ = 0;
    multiLine_ = false;
    endResetModel();
}

void OutputLines::Insert(int index, std::string_view text) {
    const size_t at = static_cast<size_t>(std::clamp(index, 0, Count()));
    std::string line(CutUtf8(text, kLineLimit));
    const size_t lineEnd = line.find_first_of("\r\n");
    if (lineEnd != std::string::npos && line.find_first_not_of("\r\n", lineEnd) != std::string::npos)
        multiLine_ = true;
    if (at >= lines_.size()) {
        lines_.push_back(std::move(line));
        return;
    }
    // Among the lines already there: the views must learn of it at once, in place.
    Publish();
    beginInsertRows(QModelIndex(), static_cast<int>(at), static_cast<int>(at));
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), std::move(line));
    ++published_;
    endInsertRows();
}

bool OutputLines::Publish() {
    if (published_ >= lines_.size())
        return false;
    beginInsertRows(QModelIndex(), static_cast<int>(published_), static_cast<int>(lines_.size()) - 1);
    published_ = lines_.size();
    endInsertRows();
    return true;
}

const std::string& OutputLines::Text(int row) const {
    static const std::string none;
    if (row < 0 || row >= Count())
        return none;
    return lines_[static_cast<size_t>(row)];
}

int OutputLines::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(published_);
}

QVariant OutputLines::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || role != Qt::DisplayRole || index.row() >= static_cast<int>(published_))
        return {};
    const std::string& text = lines_[static_cast<size_t>(index.row())];
    // A notice of several lines shows all of them, one below the other; the list's rows take the
    // height their lines need.
    QString shown = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    while (shown.endsWith(QLatin1Char('\n')))
        shown.chop(1);
    return shown;
}
