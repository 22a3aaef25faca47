#include "ScriptSplitter.h"

#include "DynamicLibrary.h"

#include <memory>
#include <mutex>

namespace script {

Splitter LoadMorvexSplitter() {
    static std::mutex mutex;
    static std::unique_ptr<platform::DynamicLibrary> library;
    static std::string name;
    std::lock_guard lock(mutex);
    if (!library) {
        platform::LoadResult loaded = platform::LoadMorvexLibrary();
        name = loaded.lastTried;
        library = std::move(loaded.library);
    }
    Splitter splitter;
    splitter.libraryName = name;
    if (library)
        splitter.split = reinterpret_cast<ParseScriptFn>(library->Symbol("ParseScript"));
    return splitter;
}

std::string SplitterMissingText(const Splitter& splitter) {
    const size_t slash = splitter.libraryName.rfind('/');
    const std::string file = slash == std::string::npos ? splitter.libraryName : splitter.libraryName.substr(slash + 1);
    return "Error during load dinamic library " + file;
}

} // namespace script
