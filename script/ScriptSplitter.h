// The script splitter's entry, from the morvex library that ships beside the program. The library is
// loaded by the first run that needs it and stays loaded for the life of the process.
//
// Thread contract: any thread.
#pragma once

#include "morvex.h"

#include <string>

namespace script {

struct Splitter {
    ParseScriptFn split = nullptr; // null when the library or its export is missing
    std::string libraryName;       // the file tried last, for the failure message
};

Splitter LoadMorvexSplitter();

// "Error during load dinamic library " + the file name tried.
std::string SplitterMissingText(const Splitter& splitter);

} // namespace script
