// The font description of the SQL text pane, as the document keeps it.
#pragma once

#include <cstdint>
#include <string>

struct LogFont {
    int32_t height = 16;
    int32_t width = 8;
    int32_t escapement = 0;
    int32_t orientation = 0;
    int32_t weight = 400;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    uint8_t charSet = 0;
    uint8_t outPrecision = 0;
    uint8_t clipPrecision = 0;
    uint8_t quality = 0;
    uint8_t pitchAndFamily = 0x20; // modern (fixed pitch)
    std::string faceName = "Courier";
};
