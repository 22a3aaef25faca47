#include "UpDownStep.h"

#include "DecimalText.h"

#include <algorithm>

namespace widgets {

std::string UpDownStep(std::string_view text, int32_t step, int32_t lower, int32_t upper) {
    if (upper < lower)
        std::swap(lower, upper);
    const int64_t next = static_cast<int64_t>(platform::DecimalConversion(text)) + step;
    return std::to_string(std::clamp<int64_t>(next, lower, upper));
}

} // namespace widgets
