#include "ExecRules.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <ctime>
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
    BlankCarriageReturns(text);
    return text;
}

void BlankCarriageReturns(std::string& text) {
    for (char& c : text)
        if (c == '\r')
            c = ' ';
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

namespace {

bool ReadNumber(std::string_view text, size_t& i, int maxDigits, int& value) {
    int digits = 0;
    value = 0;
    while (i < text.size() && digits < maxDigits && text[i] >= '0' && text[i] <= '9') {
        value = value * 10 + (text[i++] - '0');
        ++digits;
    }
    return digits > 0;
}

int MonthOf(std::string_view name) {
    static const char* const kMonths[] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                          "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};
    if (name.size() < 3)
        return 0;
    char up[3];
    for (int k = 0; k < 3; ++k)
        up[k] = static_cast<char>(std::toupper(static_cast<unsigned char>(name[static_cast<size_t>(k)])));
    for (int m = 0; m < 12; ++m)
        if (std::string_view(up, 3) == kMonths[m])
            return m + 1;
    return 0;
}

// Oracle's RR: a two-digit year lands in the century that keeps it nearest to the current year.
int RrYear(int yy, int currentYear) {
    const int century = currentYear / 100 * 100;
    const int cy = currentYear % 100;
    if (yy < 50)
        return cy < 50 ? century + yy : century + 100 + yy;
    return cy < 50 ? century - 100 + yy : century + yy;
}

} // namespace

bool ParseDateText(std::string_view text, int currentYear, int64_t& value) {
    size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    int year = 0, month = 0, day = 0;
    const size_t start = i;
    int first = 0;
    if (!ReadNumber(text, i, 4, first))
        return false;
    if (i - start == 4 && i < text.size() && text[i] == '-') {
        // YYYY-MM-DD
        year = first;
        ++i;
        if (!ReadNumber(text, i, 2, month) || i >= text.size() || text[i] != '-')
            return false;
        ++i;
        if (!ReadNumber(text, i, 2, day))
            return false;
    } else {
        // DD-MON-RR or DD-MON-YYYY (also with '/', '.' or ' ' between the parts)
        day = first;
        if (i - start > 2 || i >= text.size() || (text[i] != '-' && text[i] != '/' && text[i] != '.' && text[i] != ' '))
            return false;
        const char separator = text[i++];
        size_t nameEnd = i;
        while (nameEnd < text.size() && std::isalpha(static_cast<unsigned char>(text[nameEnd])))
            ++nameEnd;
        month = MonthOf(text.substr(i, nameEnd - i));
        if (month == 0 || nameEnd - i > 9)
            return false;
        i = nameEnd;
        if (i >= text.size() || text[i] != separator)
            return false;
        ++i;
        const size_t yearStart = i;
        if (!ReadNumber(text, i, 4, year))
            return false;
        if (i - yearStart == 2)
            year = RrYear(year, currentYear);
        else if (i - yearStart != 4)
            return false;
    }
    if (month < 1 || month > 12 || day < 1 || day > 31)
        return false;
    int hour = 0, minute = 0, second = 0;
    if (i < text.size() && text[i] == ' ') {
        while (i < text.size() && text[i] == ' ')
            ++i;
        if (i < text.size()) {
            if (!ReadNumber(text, i, 2, hour) || i >= text.size() || text[i] != ':')
                return false;
            ++i;
            if (!ReadNumber(text, i, 2, minute))
                return false;
            if (i < text.size() && text[i] == ':') {
                ++i;
                if (!ReadNumber(text, i, 2, second))
                    return false;
            }
            // AM/PM and fractions are left out of the order; they do not change the day.
        }
    }
    value = ((((static_cast<int64_t>(year) * 100 + month) * 100 + day) * 100 + hour) * 100 + minute) * 100 + second;
    return true;
}

SortKey MakeDateSortKey(std::string_view text, int currentYear) {
    int64_t value = 0;
    if (ParseDateText(text, currentYear, value)) {
        SortKey key;
        key.number = value;
        return key;
    }
    SortKey key = MakeSortKey(text);
    key.number = std::numeric_limits<int64_t>::min();
    return key;
}

int CurrentYear() {
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
    localtime_r(&now, &parts);
    return parts.tm_year + 1900;
}

bool IsNumberKind(ColumnKind kind) {
    switch (kind) {
    case ColumnKind::Num:
    case ColumnKind::Int:
    case ColumnKind::Flt:
    case ColumnKind::Vnu:
    case ColumnKind::Uin: return true;
    default: return false;
    }
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

namespace {
// The first word of a statement, upper-cased, after blanks and comments.
std::string FirstWord(std::string_view text, size_t& after) {
    size_t i = 0;
    for (;;) {
        while (i < text.size() && static_cast<unsigned char>(text[i]) <= ' ')
            ++i;
        if (text.substr(i, 2) == "--") {
            const size_t end = text.find('\n', i);
            i = end == std::string_view::npos ? text.size() : end + 1;
        } else if (text.substr(i, 2) == "/*") {
            const size_t end = text.find("*/", i + 2);
            i = end == std::string_view::npos ? text.size() : end + 2;
        } else {
            break;
        }
    }
    std::string word;
    while (i < text.size() && (std::isalpha(static_cast<unsigned char>(text[i])) || text[i] == '_'))
        word += static_cast<char>(std::toupper(static_cast<unsigned char>(text[i++])));
    after = i;
    return word;
}
} // namespace

TransactionEffect TransactionEffectOf(StatementKind kind, std::string_view text) {
    switch (kind) {
    case StatementKind::Insert:
    case StatementKind::Update:
    case StatementKind::Delete:
    case StatementKind::Begin:
    case StatementKind::Declare: return TransactionEffect::Opens;
    case StatementKind::Create:
    case StatementKind::Drop:
    case StatementKind::Alter: return TransactionEffect::Ends;
    case StatementKind::Select: return TransactionEffect::None;
    case StatementKind::Other: break;
    }
    size_t after = 0;
    const std::string word = FirstWord(text, after);
    if (word == "MERGE" || word == "CALL")
        return TransactionEffect::Opens;
    if (word == "COMMIT" || word == "TRUNCATE" || word == "GRANT" || word == "REVOKE" || word == "RENAME" ||
        word == "COMMENT")
        return TransactionEffect::Ends;
    if (word == "ROLLBACK") {
        // ROLLBACK TO SAVEPOINT undoes part of the work and keeps the transaction open.
        size_t next = 0;
        const std::string second = FirstWord(text.substr(after), next);
        if (second == "TO")
            return TransactionEffect::None;
        return TransactionEffect::Ends;
    }
    return TransactionEffect::None;
}

void NoteTransactionEffect(int32_t& uncommittedWork, StatementKind kind, std::string_view text) {
    switch (TransactionEffectOf(kind, text)) {
    case TransactionEffect::Opens: uncommittedWork = 1; break;
    case TransactionEffect::Ends: uncommittedWork = 0; break;
    case TransactionEffect::None: break;
    }
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
