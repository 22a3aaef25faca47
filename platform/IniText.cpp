#include "IniText.h"

#include <cstdio>
#include <optional>

namespace platform {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && (IsBlank(s.back()) || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

bool IsHexDigit(unsigned char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z')
            x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = static_cast<char>(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return true;
}

// A character the reader takes literally outside quotes.
bool IsPlain(unsigned char c) {
    if (c < 0x20 || c == 0x7f)
        return false;
    switch (c) {
    case ';':
    case ',':
    case '=':
    case '"':
    case '\\':
    case '#':
        return false;
    default:
        return true;
    }
}

// One logical line of the file: its physical lines from `begin` up to `next` (after the line end), the
// content ending at `end`.
struct LogicalLine {
    size_t begin = 0;
    size_t end = 0;
    size_t next = 0;
};

// A line whose content ends in an odd number of backslashes goes on in the next one.
bool Continues(std::string_view content) {
    size_t count = 0;
    while (count < content.size() && content[content.size() - 1 - count] == '\\')
        ++count;
    return count % 2 == 1;
}

std::vector<LogicalLine> SplitLines(std::string_view text) {
    std::vector<LogicalLine> lines;
    size_t pos = 0;
    while (pos < text.size()) {
        LogicalLine line;
        line.begin = pos;
        for (;;) {
            const size_t newline = text.find('\n', pos);
            size_t contentEnd = newline == std::string_view::npos ? text.size() : newline;
            if (contentEnd > pos && text[contentEnd - 1] == '\r')
                --contentEnd;
            line.end = contentEnd;
            pos = newline == std::string_view::npos ? text.size() : newline + 1;
            if (pos >= text.size() || !Continues(text.substr(line.begin, contentEnd - line.begin)))
                break;
        }
        line.next = pos;
        lines.push_back(line);
    }
    return lines;
}

} // namespace

std::string IniValueLine(std::string_view name, std::string_view value) {
    std::string text;
    // The reader turns a leading "@@" into "@" (a single "@" opens its own notation for other types).
    if (!value.empty() && value.front() == '@')
        text.push_back('@');
    text.append(value);

    bool quote = !text.empty() && (IsBlank(text.front()) || IsBlank(text.back()));
    for (unsigned char c : text)
        quote = quote || !IsPlain(c);
    std::string line(name);
    line.push_back('=');
    if (!quote)
        return line + text;

    line.push_back('"');
    bool afterHex = false; // a hex escape takes every hex digit that follows it
    for (unsigned char c : text) {
        if (afterHex && IsHexDigit(c)) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", c);
            line += escaped;
            continue;
        }
        afterHex = false;
        switch (c) {
        case '"': line += "\\\""; break;
        case '\\': line += "\\\\"; break;
        case '\a': line += "\\a"; break;
        case '\b': line += "\\b"; break;
        case '\f': line += "\\f"; break;
        case '\n': line += "\\n"; break;
        case '\r': line += "\\r"; break;
        case '\t': line += "\\t"; break;
        case '\v': line += "\\v"; break;
        default:
            if (c < 0x20 || c == 0x7f) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\x%02x", c);
                line += escaped;
                afterHex = true;
            } else {
                line.push_back(static_cast<char>(c));
            }
        }
    }
    line.push_back('"');
    return line;
}

std::string SetIniValues(std::string_view text, const std::vector<IniValue>& values) {
    const std::string eol = text.find("\r\n") != std::string_view::npos ? "\r\n" : "\n";
    const std::vector<LogicalLine> lines = SplitLines(text);

    // What each line is, and where the top level's last value ends.
    std::vector<std::optional<size_t>> valueOfLine(lines.size()); // index into `values`
    std::vector<bool> seen(values.size(), false);
    bool topLevel = true;
    bool inGeneral = false;
    std::optional<size_t> generalInsert; // after the [General] header or its last value line
    std::optional<size_t> headlessInsert; // after the last value above the first section
    bool anySection = false;
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string_view content = Trim(text.substr(lines[i].begin, lines[i].end - lines[i].begin));
        if (content.empty() || content.front() == ';' || content.front() == '#')
            continue;
        if (content.front() == '[') {
            const size_t close = content.find(']');
            const std::string_view section = content.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1);
            const bool general = EqualsNoCase(section, "General");
            topLevel = general;
            inGeneral = general && !generalInsert.has_value();
            if (inGeneral)
                generalInsert = lines[i].next;
            anySection = true;
            continue;
        }
        const size_t equals = content.find('=');
        if (equals == std::string_view::npos)
            continue;
        if (topLevel) {
            if (inGeneral)
                generalInsert = lines[i].next;
            else if (!anySection)
                headlessInsert = lines[i].next;
        }
        if (!topLevel)
            continue;
        const std::string_view key = Trim(content.substr(0, equals));
        for (size_t v = 0; v < values.size(); ++v) {
            if (key == values[v].first) {
                valueOfLine[i] = v;
                break;
            }
        }
    }

    std::string missing;
    std::vector<bool> present(values.size(), false);
    for (const std::optional<size_t>& v : valueOfLine)
        if (v)
            present[*v] = true;
    for (size_t v = 0; v < values.size(); ++v)
        if (!present[v])
            missing += IniValueLine(values[v].first, values[v].second) + eol;

    const std::optional<size_t> insertAt = generalInsert ? generalInsert : headlessInsert;
    std::string out;
    out.reserve(text.size() + missing.size() + 64);
    if (!insertAt && !missing.empty()) {
        out += "[General]" + eol + missing;
        if (!Trim(text).empty() && !lines.empty() &&
            !Trim(text.substr(lines[0].begin, lines[0].end - lines[0].begin)).empty())
            out += eol;
    }
    for (size_t i = 0; i < lines.size(); ++i) {
        const LogicalLine& line = lines[i];
        if (valueOfLine[i]) {
            const size_t v = *valueOfLine[i];
            if (!seen[v]) {
                seen[v] = true;
                out += IniValueLine(values[v].first, values[v].second);
                out += text.substr(line.end, line.next - line.end);
            }
        } else {
            out += text.substr(line.begin, line.next - line.begin);
        }
        if (insertAt && *insertAt == line.next && !missing.empty()) {
            if (line.next == line.end) // the file ended without a line end
                out += eol;
            out += missing;
            missing.clear();
        }
    }
    return out;
}

} // namespace platform
