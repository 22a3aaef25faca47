#include "CaretStatement.h"

#include <algorithm>
#include <string>
#include <vector>

namespace script {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

bool IsBlankLine(std::string_view line) {
    return std::all_of(line.begin(), line.end(), IsBlank);
}

} // namespace

std::optional<TextSpan> StatementAtCaret(const std::function<std::string_view(int32_t)>& lineAt, int32_t lineCount,
                                         TextPlace caret, ParseScriptFn split) {
    if (!split || lineCount <= 0 || caret.line < 0 || caret.line >= lineCount || IsBlankLine(lineAt(caret.line)))
        return std::nullopt;
    int32_t first = caret.line;
    while (first > 0 && !IsBlankLine(lineAt(first - 1)))
        --first;
    int32_t last = caret.line;
    while (last + 1 < lineCount && !IsBlankLine(lineAt(last + 1)))
        ++last;

    // The paragraph as one text with LF line ends, and where each of its lines starts in it.
    std::string text;
    std::vector<size_t> lineStarts;
    for (int32_t y = first; y <= last; ++y) {
        if (y > first)
            text += '\n';
        lineStarts.push_back(text.size());
        text += lineAt(y);
    }
    const size_t caretOffset =
        lineStarts[static_cast<size_t>(caret.line - first)] +
        std::min<size_t>(static_cast<size_t>(std::max(caret.x, 0)), lineAt(caret.line).size());

    // The splitter reads the text with its terminating NUL, as the script run hands it over.
    const size_t length = text.size() + 1;
    std::vector<char> statement(length, '\0');
    size_t offset = 0;
    size_t segmentEnd = 0;
    uint32_t written = 0; // the splitter writes no more than it consumed: only that is cleared again
    while (offset < length) {
        uint32_t next = 0;
        std::fill_n(statement.begin(), written, '\0');
        split(text.c_str() + offset, statement.data(), static_cast<uint32_t>(length - offset), &next);
        next = std::clamp<uint32_t>(next, 1, static_cast<uint32_t>(length - offset));
        written = next;
        segmentEnd = offset + next;
        if (caretOffset <= segmentEnd || segmentEnd >= length)
            break;
        offset = segmentEnd;
    }
    if (offset >= length)
        return std::nullopt;

    size_t start = offset;
    while (start < text.size() && IsBlank(text[start]))
        ++start;
    size_t end = std::min(segmentEnd, text.size());
    // A terminator the splitter stopped at is the byte before where the next statement begins.
    if (segmentEnd <= text.size() && segmentEnd > offset && (text[segmentEnd - 1] == ';' || text[segmentEnd - 1] == '/'))
        end = segmentEnd - 1;
    while (end > start && IsBlank(text[end - 1]))
        --end;
    if (end <= start)
        return std::nullopt;

    auto placeOf = [&](size_t at) {
        const auto it = std::upper_bound(lineStarts.begin(), lineStarts.end(), at) - 1;
        const auto index = static_cast<int32_t>(it - lineStarts.begin());
        return TextPlace{first + index, static_cast<int32_t>(at - *it)};
    };
    return TextSpan{placeOf(start), placeOf(end)};
}

} // namespace script
