#include "DecimalText.h"

#include <limits>

namespace platform {

namespace {
bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}
} // namespace

int32_t DecimalConversion(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && IsSpace(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    // Accumulate as a magnitude in 64 bits and stop growing once past the range: no overflow however
    // many digits follow.
    constexpr int64_t kLimit = int64_t(std::numeric_limits<int32_t>::max()) + 1;
    int64_t magnitude = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        if (magnitude <= kLimit)
            magnitude = magnitude * 10 + (text[i] - '0');
    }
    if (negative)
        return magnitude >= kLimit ? std::numeric_limits<int32_t>::min() : int32_t(-magnitude);
    return magnitude > std::numeric_limits<int32_t>::max() ? std::numeric_limits<int32_t>::max()
                                                           : int32_t(magnitude);
}

} // namespace platform
