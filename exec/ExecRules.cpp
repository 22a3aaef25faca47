#include "ExecRules.h"

#include <algorithm>
#include <charconv>
#include <limits>

namespace exec {

CaretPlace CaretForParseError(std::string_view executedText, uint32_t offset) {
    CaretPlace place;
    place.column = static_cast<int32_t>(offset);
    const size_t end = std::min<size_t>(offset, executedText.size());
    for (size_t k = 0; k < end; ++k) {
        if (executedText[k] == '\n') {
            ++place.line;
            place.column = static_cast<int32_t>(offset - k - 1);
        }
    }
    return place;
}

std::string RowCountText(StatementKind kind, uint32_t count) {
    const char* verb = nullptr;
    switch (kind) {
    case StatementKind::Update: verb = "updated."; break;
    case StatementKind::Delete: verb = "deleted."; break;
    case StatementKind::Insert: verb = "inserted."; break;
    default: return std::string();
    }
    return std::to_string(count) + " row(s) " + verb;
}

std::string ProgressText(int32_t rowsFetched) {
    std::string text;
    WriteProgressText(rowsFetched, text);
    return text;
}

void WriteProgressText(int32_t rowsFetched, std::string& text) {
    char digits[16];
    const auto end = std::to_chars(digits, digits + sizeof digits, rowsFetched).ptr;
    text.assign(digits, end);
    text.append(" rows fetched.");
}

std::string FinalFetchText(int32_t rowsFetched) {
    return "Statement processed. " + std::to_string(rowsFetched) + " Row(s) selected.";
}

std::string SelectedCaption(int32_t rowCount) {
    return std::to_string(rowCount) + " Row(s) selected";
}

std::string RowCaption(int32_t selectedRow, int32_t rowCount, bool allFetched) {
    if (selectedRow < 0)
        return std::string();
    std::string text = "Row " + std::to_string(selectedRow + 1) + " of " + std::to_string(rowCount);
    if (!allFetched)
        text += " (partial)";
    return text;
}

int CreatedWidth(size_t titleLength) {
    return static_cast<int>(std::min<size_t>(titleLength, 4096)) * 7;
}

int AutoformatWidth(size_t titleLength, size_t longestCell, bool byData, bool byName) {
    size_t length = 0;
    if (byData && byName)
        length = std::max(titleLength, std::min(longestCell, kCellReadCap));
    else if (byData)
        length = std::min(longestCell, kCellReadCap);
    else if (byName)
        length = titleLength;
    else
        return CreatedWidth(titleLength);
    return static_cast<int>(std::min(length, kWidthCharCap)) * 7 + 20;
}

bool ColumnLengths::Note(size_t column, size_t length) {
    if (column >= longest_.size() || length <= longest_[column])
        return false;
    longest_[column] = length;
    return true;
}

int64_t LeadingInteger(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r')))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
    int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        const int digit = text[i] - '0';
        if (value > (kMax - digit) / 10) {
            value = kMax; // saturate; the remaining digits cannot change the order any more
            break;
        }
        value = value * 10 + digit;
    }
    return negative ? -value : value;
}

int CompareCells(std::string_view a, std::string_view b) {
    const int64_t x = LeadingInteger(a);
    const int64_t y = LeadingInteger(b);
    if (x != y)
        return x < y ? -1 : 1;
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const auto ca = static_cast<unsigned char>(a[i]);
        const auto cb = static_cast<unsigned char>(b[i]);
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

SortState& SharedSortState() {
    static SortState state;
    return state;
}

namespace {
void AppendLine(std::string& out, const std::vector<std::string>& fields) {
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i)
            out += ';';
        out += fields[i];
    }
    out += "\r\n";
}
} // namespace

std::string CopyText(const std::vector<std::string>& titles, const std::vector<std::vector<std::string>>& rows) {
    std::string out;
    AppendLine(out, titles);
    for (const auto& row : rows)
        AppendLine(out, row);
    return out;
}

} // namespace exec
