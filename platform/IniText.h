// Changing values in the text of a settings file in INI form, the form IniSettingsKey reads, without
// touching anything else in it: other values, other sections, comments and blank lines stay byte for
// byte. Values live at the top level: in the [General] section or above the first section.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace platform {

using IniValue = std::pair<std::string, std::string>; // name, value

// The line "name=value" with the value written so that the INI reader gives back exactly its characters.
// `name` must be a plain name (letters, digits, '_').
std::string IniValueLine(std::string_view name, std::string_view value);

// `text` with each of `values` set: an existing top-level line of that name is replaced in place (later
// lines of the same name are dropped), a missing one is added to the top-level section in the given order.
std::string SetIniValues(std::string_view text, const std::vector<IniValue>& values);

} // namespace platform
