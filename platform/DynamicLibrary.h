// The program's only door to the dynamic loader. A library is opened by file name and its exports are
// found by plain C name; the handle closes when the object goes.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace platform {

class DynamicLibrary {
public:
    // Opens the file (a bare name goes through the loader's search order). Null on failure.
    static std::unique_ptr<DynamicLibrary> Open(const std::string& file);
    ~DynamicLibrary();
    DynamicLibrary(const DynamicLibrary&) = delete;
    DynamicLibrary& operator=(const DynamicLibrary&) = delete;

    // Address of an export, or null when the library has no such name.
    void* Symbol(const char* name) const;

private:
    explicit DynamicLibrary(void* handle) : handle_(handle) {}
    void* handle_;
};

// The folder of the running executable, without a trailing slash; empty when it cannot be told.
std::string ExecutableDir();

// The outcome of trying a list of candidate files in order.
struct LoadResult {
    std::unique_ptr<DynamicLibrary> library; // null when every candidate failed
    std::string lastTried;                   // the file name tried last (for the failure message)
};

// Tries the candidates in order and returns the first that opens.
LoadResult LoadFirst(const std::vector<std::string>& candidates);

// The Oracle client library: $QUARVEL_OCI_LIBRARY alone when set, otherwise a real client found by the
// loader ("libclntsh.so"), otherwise the embedded client that ships beside the executable.
std::vector<std::string> OciLibraryCandidates();
// With $QUARVEL_OCI_LIBRARY set but empty nothing is loaded and lastTried reads kEmptyOciLibraryVariable.
LoadResult LoadOciLibrary();
inline constexpr const char* kEmptyOciLibraryVariable =
    "the client library: QUARVEL_OCI_LIBRARY is set but empty (unset it, or set it to the library's file)";

// The script splitter: beside the executable first, then by the loader's search order.
std::vector<std::string> MorvexLibraryCandidates();
LoadResult LoadMorvexLibrary();

} // namespace platform
