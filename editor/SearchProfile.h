// The search options and texts the find and replace dialogs keep in the per-user profile (Quarvel.ini),
// sections "TextEditor\Find" and "TextEditor\Replace": MatchCase and WholeWord as 0 or 1, FindWhat and
// ReplaceWith as text (UTF-8). Absent entries read as cleared options and empty texts.
//
// Thread contract: UI thread only (the profile's).
#pragma once

#include <string>

namespace editor {

struct SearchOptions {
    bool matchCase = false;
    bool wholeWord = false;
    std::string findWhat;
    std::string replaceWith; // the Replace dialog's only
};

SearchOptions ReadFindProfile();
SearchOptions ReadReplaceProfile();
// False when the profile could not be written; the caller tells the user.
bool WriteFindProfile(const SearchOptions& options);
bool WriteReplaceProfile(const SearchOptions& options);

// The profile file, for the message that says it could not be written.
std::string SearchProfileFile();

} // namespace editor
