// One open settings key: a set of named text values. Implementations store them somewhere persistent
// (IniSettingsKey); tests may keep them in memory.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace platform {

class SettingsKey {
public:
    // A value is read into a buffer of this many bytes; a longer value counts as absent.
    static constexpr size_t kValueBufferSize = 240;

    virtual ~SettingsKey() = default;

    // The value when present and at most kValueBufferSize bytes long; nullopt otherwise.
    std::optional<std::string> Read(const std::string& name) const;

    // Stores exactly the characters of `value`. False when the store refused it.
    virtual bool Write(const std::string& name, const std::string& value) = 0;

protected:
    // The value as stored, whatever its length; nullopt when there is none.
    virtual std::optional<std::string> ReadStored(const std::string& name) const = 0;
};

} // namespace platform
