#include "SettingsKey.h"

namespace platform {

std::optional<std::string> SettingsKey::Read(const std::string& name) const {
    std::optional<std::string> value = ReadStored(name);
    if (value && value->size() > kValueBufferSize)
        return std::nullopt;
    return value;
}

} // namespace platform
