// Properties every split must have, whatever the bytes: shared by the randomised unit test and the fuzzer.
#pragma once

#include "morvex.h"

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

namespace morvex_check {

// The bytes that must survive from input to statement: all but CR, space and NUL. (Spaces before a CR
// are removed, CR is dropped, and a copied NUL cannot be told from the caller's zero fill.)
inline std::string Kept(const char* p, size_t n) {
    std::string kept;
    for (size_t k = 0; k < n; ++k) {
        if (p[k] != '\r' && p[k] != ' ' && p[k] != '\0')
            kept += p[k];
    }
    return kept;
}

inline bool IsTerminator(char c) {
    return c == ';' || c == '/';
}

// Copies the bytes into a heap block of exactly n bytes, so that a sanitizer catches any read beyond.
inline std::unique_ptr<char[]> ExactCopy(const char* data, uint32_t n) {
    std::unique_ptr<char[]> copy(new char[n]);
    if (n > 0)
        std::memcpy(copy.get(), data, n);
    return copy;
}

// Splits data[0, n) with exactly sized buffers and checks the result. Returns "" when all holds, else
// what went wrong. *next receives the split's result.
inline std::string CheckSplit(const char* data, uint32_t n, uint32_t* nextOut = nullptr) {
    const auto in = ExactCopy(data, n);
    const size_t outSize = size_t(n) + 1;
    std::unique_ptr<char[]> zeroed(new char[outSize]);
    std::memset(zeroed.get(), 0, outSize);
    uint32_t next = UINT32_MAX;
    ParseScript(in.get(), zeroed.get(), n, &next);
    if (nextOut)
        *nextOut = next;

    if (next > n)
        return "*pnNext lies beyond the scanned length";
    if (n > 0 && next == 0)
        return "a call on a non-empty text consumed nothing";
    for (size_t k = next; k < outSize; ++k) {
        if (zeroed[k] != 0)
            return "wrote at or beyond *pnNext";
    }

    // The same call on a buffer full of a marker byte shows every byte written, zeroes included.
    const char marker = char(0xA5);
    std::unique_ptr<char[]> marked(new char[outSize]);
    std::memset(marked.get(), marker, outSize);
    uint32_t next2 = UINT32_MAX;
    ParseScript(in.get(), marked.get(), n, &next2);
    if (next2 != next)
        return "the result depends on the output buffer's old contents";
    for (size_t k = 0; k < outSize; ++k) {
        const bool untouched = marked[k] == marker && zeroed[k] == 0;
        if (k >= next && !untouched)
            return "wrote at or beyond *pnNext (marker run)";
        if (k < next && !untouched && marked[k] != zeroed[k])
            return "the statement depends on the output buffer's old contents";
    }

    // Nothing but CR and spaces gets lost, and only the terminator is left out.
    const std::string got = Kept(zeroed.get(), n);
    if (next < n) {
        if (!IsTerminator(in[next - 1]))
            return "stopped early at a byte that is no terminator";
        if (got != Kept(in.get(), next - 1))
            return "the statement is not the text before its terminator";
    } else if (got != Kept(in.get(), n) &&
               !(n > 0 && IsTerminator(in[n - 1]) && got == Kept(in.get(), n - 1))) {
        return "the statement is not the scanned text";
    }

    // Scanning only through the terminator gives the same split: nothing after it mattered.
    if (next < n) {
        const auto head = ExactCopy(data, next);
        std::unique_ptr<char[]> again(new char[size_t(next) + 1]);
        std::memset(again.get(), 0, size_t(next) + 1);
        uint32_t next3 = UINT32_MAX;
        ParseScript(head.get(), again.get(), next, &next3);
        if (next3 != next || std::memcmp(again.get(), zeroed.get(), next) != 0)
            return "the split changes when the text after the terminator is cut off";
    }
    return {};
}

} // namespace morvex_check
