// The text that the message dialog shows for a string id or a given text.
#pragma once

#include <cstdint>
#include <string>

// The string, or "<RESOURCE LOAD ERROR> - " followed by the id in decimal when there is none.
std::string ResourceTextOrError(uint32_t stringId);

// Every line feed becomes carriage return plus line feed, so that each one starts a new line.
std::string LineFeedsToLineBreaks(const std::string& text);
