// ParseScript on arbitrary bytes: exactly sized input and output buffers (nLength and nLength + 1
// bytes), every property of SplitChecks.h on each call, along the text the way the program walks a
// script (each call on the bytes after the previous statement).
#include "SplitChecks.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > UINT32_MAX)
        return 0;
    const char* text = reinterpret_cast<const char*>(data);
    const uint32_t total = uint32_t(size);
    uint32_t offset = 0;
    // The first statements are checked one by one; a call's cost grows with the bytes left, so the walk
    // stops after a few of them.
    for (int call = 0; call < 16 && (call == 0 || offset < total); ++call) {
        uint32_t next = 0;
        const std::string fault = morvex_check::CheckSplit(text + offset, total - offset, &next);
        if (!fault.empty()) {
            std::fprintf(stderr, "morvex: %s (call at offset %u of %u bytes)\n", fault.c_str(), offset, total);
            std::abort();
        }
        offset += next;
    }
    return 0;
}
