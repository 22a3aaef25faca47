// What one message of the message dialog shows. buttonStyle 0: one OK button; otherwise OK and
// Cancel: the pair 107/108 when pairStyle is 1, else the pair 1/2.
#pragma once

#include <cstdint>
#include <string>

struct MessageParameters {
    std::string text;
    int32_t buttonStyle = 0;
    int32_t pairStyle = 2;
};
