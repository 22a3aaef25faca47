#include "MessageText.h"

#include "StringTable.h"

std::string ResourceTextOrError(uint32_t stringId) {
    if (const char* text = LoadStringResource(stringId))
        return text;
    return "<RESOURCE LOAD ERROR> - " + std::to_string(stringId);
}

std::string LineFeedsToLineBreaks(const std::string& text) {
    std::string out;
    out.reserve(text.size() + 8);
    for (char c : text) {
        if (c == '\n')
            out += '\r';
        out += c;
    }
    return out;
}
