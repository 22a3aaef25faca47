#include "SettingsLocation.h"

#include <cstdlib>

namespace platform {

namespace {
std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

std::string WithoutTrailingSlash(std::string path) {
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

std::string InFolder(const char* file) {
    std::string folder = SettingsFolder();
    return folder.empty() ? std::string() : folder + "/" + file;
}
} // namespace

std::string SettingsFolder() {
    std::string dir = Env("QUARVEL_CONFIG_DIR");
    if (!dir.empty())
        return WithoutTrailingSlash(dir);
    dir = Env("XDG_CONFIG_HOME");
    if (!dir.empty())
        return WithoutTrailingSlash(dir) + "/VORANTE";
    dir = Env("HOME");
    if (!dir.empty())
        return WithoutTrailingSlash(dir) + "/.config/VORANTE";
    return std::string();
}

std::string ProgramSettingsFile() {
    return InFolder("VORANTE.ini");
}

std::string UserProfileFile() {
    return InFolder("Quarvel.ini");
}

} // namespace platform
