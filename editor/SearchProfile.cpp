#include "SearchProfile.h"

#include "SettingsLocation.h"
#include "UserProfile.h"

namespace editor {

namespace {

const char* const kFindSection = "TextEditor\\Find";
const char* const kReplaceSection = "TextEditor\\Replace";

SearchOptions Read(const char* section, bool withReplacement) {
    const platform::UserProfile profile;
    SearchOptions options;
    options.matchCase = profile.GetInt(section, "MatchCase", 0) != 0;
    options.wholeWord = profile.GetInt(section, "WholeWord", 0) != 0;
    options.findWhat = profile.GetString(section, "FindWhat", std::string());
    if (withReplacement)
        options.replaceWith = profile.GetString(section, "ReplaceWith", std::string());
    return options;
}

bool Write(const char* section, const SearchOptions& options, bool withReplacement) {
    platform::UserProfile profile;
    bool ok = profile.WriteInt(section, "MatchCase", options.matchCase ? 1 : 0);
    ok = profile.WriteInt(section, "WholeWord", options.wholeWord ? 1 : 0) && ok;
    ok = profile.WriteString(section, "FindWhat", options.findWhat) && ok;
    if (withReplacement)
        ok = profile.WriteString(section, "ReplaceWith", options.replaceWith) && ok;
    return ok;
}

} // namespace

SearchOptions ReadFindProfile() {
    return Read(kFindSection, false);
}

SearchOptions ReadReplaceProfile() {
    return Read(kReplaceSection, true);
}

bool WriteFindProfile(const SearchOptions& options) {
    return Write(kFindSection, options, false);
}

bool WriteReplaceProfile(const SearchOptions& options) {
    return Write(kReplaceSection, options, true);
}

std::string SearchProfileFile() {
    return platform::UserProfileFile();
}

} // namespace editor
