#include "DynamicLibrary.h"

#include <cstdlib>
#include <dlfcn.h>
#include <limits.h>
#include <unistd.h>

namespace platform {

std::unique_ptr<DynamicLibrary> DynamicLibrary::Open(const std::string& file) {
    if (file.empty())
        return nullptr;
    void* handle = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle)
        return nullptr;
    return std::unique_ptr<DynamicLibrary>(new DynamicLibrary(handle));
}

DynamicLibrary::~DynamicLibrary() {
    if (handle_)
        dlclose(handle_);
}

void* DynamicLibrary::Symbol(const char* name) const {
    return handle_ ? dlsym(handle_, name) : nullptr;
}

std::string ExecutableDir() {
    char path[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0)
        return {};
    std::string exe(path, static_cast<size_t>(n));
    auto slash = exe.rfind('/');
    return slash == std::string::npos ? std::string() : exe.substr(0, slash);
}

LoadResult LoadFirst(const std::vector<std::string>& candidates) {
    LoadResult result;
    for (const auto& file : candidates) {
        result.lastTried = file;
        result.library = DynamicLibrary::Open(file);
        if (result.library)
            break;
    }
    return result;
}

static std::string BesideExecutable(const char* name) {
    std::string dir = ExecutableDir();
    return dir.empty() ? std::string(name) : dir + "/" + name;
}

std::vector<std::string> OciLibraryCandidates() {
    if (const char* forced = std::getenv("QUARVEL_OCI_LIBRARY"))
        return {forced};
    return {"libclntsh.so", BesideExecutable("libliteoci.so")};
}

LoadResult LoadOciLibrary() {
    // An empty variable names no file: nothing is tried, and the failure text ("Can't load " and the
    // name) says what is wrong instead of ending after "load ".
    if (const char* forced = std::getenv("QUARVEL_OCI_LIBRARY"); forced != nullptr && *forced == '\0') {
        LoadResult result;
        result.lastTried = kEmptyOciLibraryVariable;
        return result;
    }
    return LoadFirst(OciLibraryCandidates());
}

std::vector<std::string> MorvexLibraryCandidates() {
    return {BesideExecutable("libmorvex.so"), "libmorvex.so"};
}

LoadResult LoadMorvexLibrary() { return LoadFirst(MorvexLibraryCandidates()); }

} // namespace platform
