// The names of SQL script files: the filter entries of the open and save dialogs of the text pane, and
// the path that Save File As writes to.
#pragma once

#include <string>
#include <vector>

struct FileFilter {
    const char* text;    // what the dialog lists, pattern included
    const char* pattern; // the names it shows
};

// "SQL Files (*.sql)" first (selected when a dialog opens), then "All Files (*.*)".
const std::vector<FileFilter>& SqlFileFilters();
inline constexpr int kSqlFilesFilter = 0;

// The path Save File As writes to. With the SQL filter the name gets ".sql" appended, unless the path
// already holds ".sql" somewhere, in any letter case ("Query.SQL" and "my.sql.bak" stay as typed);
// with any other filter the path is taken as typed. An empty path stays empty.
std::string SaveAsPath(const std::string& chosen, int filterIndex);
