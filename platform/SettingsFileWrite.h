// Writing several settings values to a settings file in one step. The new file is written beside the old
// one, flushed and then renamed over it, so a failure at any point (a full disk, a read-only file or
// folder) leaves the old file exactly as it was, and either every value is changed or none is.
#pragma once

#include "FileAccess.h"
#include "IniText.h"

#include <string>
#include <vector>

namespace platform {

// Sets `values` in the INI file `file` (made, with its folder, when missing); everything else in the file
// stays. Empty on success, otherwise the reason with the system's error text, for the user.
std::string WriteSettingsFile(const std::string& file, const std::vector<IniValue>& values,
                              CFileAccess& files = CFileAccess::System());

} // namespace platform
