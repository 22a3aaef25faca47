#include "SqlFileNames.h"

const std::vector<FileFilter>& SqlFileFilters() {
    static const std::vector<FileFilter> filters = {
        {"SQL Files (*.sql)", "*.sql"},
        {"All Files (*.*)", "*.*"},
    };
    return filters;
}

std::string SaveAsPath(const std::string& chosen, int filterIndex) {
    if (chosen.empty() || filterIndex != kSqlFilesFilter)
        return chosen;
    // Only A-Z are lowered: the bytes of a multi-byte character stay as they are.
    std::string lower = chosen;
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    if (lower.find(".sql") != std::string::npos)
        return chosen;
    return chosen + ".sql";
}
