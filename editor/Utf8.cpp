#include "Utf8.h"

#include <algorithm>
#include <limits>

namespace editor::utf8 {
namespace {

int32_t Length(std::string_view line) {
    constexpr auto kMax = static_cast<std::size_t>(std::numeric_limits<int32_t>::max());
    return static_cast<int32_t>(std::min(line.size(), kMax));
}

bool IsContinuation(unsigned char c) {
    return (c & 0xC0) == 0x80;
}

// Length of the well-formed sequence at p[0 .. available), or 0 when none begins there. The second
// byte's range excludes overlong forms (E0, F0), surrogates (ED) and code points above U+10FFFF (F4).
int32_t WellFormedLength(const unsigned char* p, int32_t available, char32_t* code) {
    const unsigned char c = p[0];
    int32_t need;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    char32_t value;
    if (c < 0x80) {
        *code = c;
        return 1;
    }
    if (c >= 0xC2 && c <= 0xDF) {
        need = 2;
        value = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
        need = 3;
        value = c & 0x0F;
        if (c == 0xE0)
            low = 0xA0;
        else if (c == 0xED)
            high = 0x9F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        need = 4;
        value = c & 0x07;
        if (c == 0xF0)
            low = 0x90;
        else if (c == 0xF4)
            high = 0x8F;
    } else {
        return 0;
    }
    if (available < need)
        return 0;
    if (p[1] < low || p[1] > high)
        return 0;
    value = (value << 6) | (p[1] & 0x3F);
    for (int32_t k = 2; k < need; ++k) {
        if (!IsContinuation(p[k]))
            return 0;
        value = (value << 6) | (p[k] & 0x3F);
    }
    *code = value;
    return need;
}

const unsigned char* Bytes(std::string_view line) {
    return reinterpret_cast<const unsigned char*>(line.data());
}

} // namespace

int32_t SequenceLength(std::string_view line, int32_t offset) {
    int32_t length = 0;
    DecodeAt(line, offset, &length);
    return length;
}

char32_t DecodeAt(std::string_view line, int32_t offset, int32_t* length) {
    const int32_t n = Length(line);
    if (offset < 0)
        offset = 0;
    if (offset >= n) {
        if (length != nullptr)
            *length = 0;
        return 0;
    }
    const unsigned char* p = Bytes(line) + offset;
    char32_t code = 0;
    int32_t len = WellFormedLength(p, n - offset, &code);
    if (len == 0) {
        len = 1;
        code = p[0]; // the Latin-1 character of the byte
    }
    if (length != nullptr)
        *length = len;
    return code;
}

int32_t CharStart(std::string_view line, int32_t offset) {
    const int32_t n = Length(line);
    if (offset <= 0)
        return 0;
    if (offset >= n)
        return n;
    const unsigned char* p = Bytes(line);
    if (!IsContinuation(p[offset]))
        return offset;
    // A continuation byte belongs to the nearest non-continuation byte at most three bytes back, if a
    // well-formed sequence starting there reaches it; otherwise it stands alone. Lead bytes never
    // occur inside a well-formed sequence, so that candidate is the only one.
    const int32_t lowest = std::max(offset - 3, 0);
    for (int32_t q = offset - 1; q >= lowest; --q) {
        if (IsContinuation(p[q]))
            continue;
        char32_t code = 0;
        const int32_t len = WellFormedLength(p + q, n - q, &code);
        return q + len > offset ? q : offset;
    }
    return offset;
}

bool IsCharBoundary(std::string_view line, int32_t offset) {
    return offset <= 0 || offset >= Length(line) || CharStart(line, offset) == offset;
}

int32_t NextCharBoundary(std::string_view line, int32_t offset) {
    const int32_t n = Length(line);
    if (offset < 0)
        return 0;
    if (offset >= n)
        return n;
    const int32_t start = CharStart(line, offset);
    return start + SequenceLength(line, start);
}

int32_t PrevCharBoundary(std::string_view line, int32_t offset) {
    const int32_t n = Length(line);
    if (offset <= 0)
        return 0;
    if (offset > n)
        return n;
    return CharStart(line, offset - 1);
}

int32_t CharCount(std::string_view line) {
    return CharIndexOfByte(line, Length(line));
}

int32_t CharIndexOfByte(std::string_view line, int32_t byteOffset) {
    const int32_t n = Length(line);
    const unsigned char* p = Bytes(line);
    const int32_t end = std::clamp(byteOffset, 0, n);
    int32_t index = 0;
    int32_t at = 0;
    while (at < end) {
        if (p[at] < 0x80) {
            ++at;
        } else {
            int32_t len = 0;
            DecodeAt(line, at, &len);
            at += len;
        }
        ++index;
    }
    // Stopping past `end` means `end` was inside the last character counted: that one's index.
    return at > end ? index - 1 : index;
}

int32_t ByteOfCharIndex(std::string_view line, int32_t charIndex) {
    const int32_t n = Length(line);
    const unsigned char* p = Bytes(line);
    int32_t at = 0;
    for (int32_t index = 0; index < charIndex && at < n; ++index) {
        if (p[at] < 0x80) {
            ++at;
        } else {
            int32_t len = 0;
            DecodeAt(line, at, &len);
            at += len;
        }
    }
    return at;
}

std::u32string Decode(std::string_view line, std::vector<int32_t>* offsets) {
    const int32_t n = Length(line);
    const unsigned char* p = Bytes(line);
    std::u32string chars;
    chars.reserve(static_cast<std::size_t>(n));
    if (offsets != nullptr) {
        offsets->clear();
        offsets->reserve(static_cast<std::size_t>(n) + 1);
    }
    int32_t at = 0;
    while (at < n) {
        if (offsets != nullptr)
            offsets->push_back(at);
        if (p[at] < 0x80) {
            chars.push_back(p[at]);
            ++at;
            continue;
        }
        int32_t len = 0;
        chars.push_back(DecodeAt(line, at, &len));
        at += len;
    }
    if (offsets != nullptr)
        offsets->push_back(n);
    return chars;
}

} // namespace editor::utf8
