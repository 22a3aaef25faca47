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

std::string ExecutedText(std::string_view selectedText) {
    std::string text(selectedText);
    for (char& c : text)
        if (c == '\r')
            c = ' ';
    return text;
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

SortKey MakeSortKey(std::string_view text) {
    SortKey key;
    key.number = LeadingInteger(text);
    key.text = text;
    for (size_t i = 0; i < 16; ++i)
        key.prefix[i / 8] = (key.prefix[i / 8] << 8) | (i < text.size() ? static_cast<unsigned char>(text[i]) : 0u);
    return key;
}

int CompareSortKeys(const SortKey& a, const SortKey& b) {
    if (a.number != b.number)
        return a.number < b.number ? -1 : 1;
    // Cell texts hold no NUL, so the zero padding orders a shorter text first, as the bytes do.
    for (int i = 0; i < 2; ++i)
        if (a.prefix[i] != b.prefix[i])
            return a.prefix[i] < b.prefix[i] ? -1 : 1;
    if (a.text.size() <= 16 && b.text.size() <= 16)
        return a.text.size() == b.text.size() ? 0 : (a.text.size() < b.text.size() ? -1 : 1);
    // Byte-wise, as unsigned characters.
    const int c = a.text.compare(b.text);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

int CompareCells(std::string_view a, std::string_view b) {
    return CompareSortKeys(MakeSortKey(a), MakeSortKey(b));
}

SortState& SharedSortState() {
    static SortState state;
    return state;
}

void AppendCopyLine(std::string& out, const std::vector<std::string_view>& fields) {
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i)
            out += ';';
        out += fields[i];
    }
    out += "\r\n";
}

// The program fetches one row per call; the client brings rows in arrays underneath, one round
// trip to the server per array. A round trip costs the network's latency (1-2 ms on a LAN, tens of
// milliseconds across a WAN) and a prefetched row only its bytes, so the array is sized by what the
// batch is about to do:
// - a batch of n rows (the first batch, a page) brings n rows beyond the first: the whole batch
//   travels with the execute, and the row after it (Next Row, a scroll) is already there;
// - one more row at a time (scrolling on) brings 64, a few pages, so that scrolling costs a round
//   trip only every 64 rows;
// - Last Row brings 5,000 rows a round trip: 100,000 rows of BIG_LOG at a simulated 2 ms take 20
//   round trips (40 ms) instead of 100,000 (200 s), well within the time the grid takes for them.
// Every array is bounded by 8 MB of row data, so that wide rows (many long VARCHAR2 columns) do not
// make the client hold more than that.
Prefetch PrefetchForBatch(int32_t rows) {
    constexpr uint32_t kMemory = 8u << 20;
    if (rows >= kAllRows)
        return {5000, kMemory};
    if (rows <= 1)
        return {64, kMemory};
    return {static_cast<uint32_t>(rows), kMemory};
}

} // namespace exec
