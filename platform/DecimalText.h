// The one way the program turns a stored setting into a number: leading white space is skipped, an
// optional sign and then decimal digits are taken, the first other character ends the number, and no
// digits at all give 0 ("abc" gives 0, "120rows" gives 120).
#pragma once

#include <cstdint>
#include <string_view>

namespace platform {

// A number beyond the 32-bit range is held at the nearest limit instead of wrapping round, so a mistyped
// setting can never turn into a negative or unrelated count.
int32_t DecimalConversion(std::string_view text);

} // namespace platform
