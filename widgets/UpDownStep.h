// What one press of an up-down control's arrow does to the number in its field. The field's text is
// read as the program reads any stored number (leading white space, a sign, digits; anything else
// ends it, no digits give 0), stepped, and held inside the control's range; the result is written back
// as plain decimal digits. Typing into the field is never limited: only the arrows keep to the range.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace widgets {

std::string UpDownStep(std::string_view text, int32_t step, int32_t lower, int32_t upper);

} // namespace widgets
