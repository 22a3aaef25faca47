// Where the settings files live: $QUARVEL_CONFIG_DIR when set, else $XDG_CONFIG_HOME/VORANTE, else
// ~/.config/VORANTE. The program's settings are VORANTE.ini, the editor's own options Quarvel.ini.
#pragma once

#include <string>

namespace platform {

// The folder, without a trailing slash. Empty when not even a home folder is known.
std::string SettingsFolder();
// The program's settings file (the machine-wide key of the settings table).
std::string ProgramSettingsFile();
// The per-user profile of the editor (find, replace, page setup, recent files).
std::string UserProfileFile();

} // namespace platform
