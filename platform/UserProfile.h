// The editor's per-user profile (Quarvel.ini): sections such as "TextEditor\Find" with named entries,
// and the recent-file list. Entries are read with a default and written at once.
//
// Thread contract: UI thread only.
#pragma once

#include <memory>
#include <string>
#include <vector>

class QSettings;

namespace platform {

class UserProfile {
public:
    static constexpr int kRecentFileCount = 4;

    // The profile in the settings folder; `file` overrides it (tests).
    explicit UserProfile(const std::string& file = std::string());
    ~UserProfile();
    UserProfile(const UserProfile&) = delete;
    UserProfile& operator=(const UserProfile&) = delete;

    std::string GetString(const std::string& section, const std::string& entry, const std::string& fallback) const;
    int GetInt(const std::string& section, const std::string& entry, int fallback) const;
    bool WriteString(const std::string& section, const std::string& entry, const std::string& value);
    bool WriteInt(const std::string& section, const std::string& entry, int value);

    // The recent-file list, newest first, at most kRecentFileCount paths.
    std::vector<std::string> RecentFiles() const;
    bool WriteRecentFiles(const std::vector<std::string>& files);

private:
    std::unique_ptr<QSettings> settings_;
};

// Puts `path` first in `files`, drops an older equal entry and keeps at most `limit` entries.
void AddRecentFile(std::vector<std::string>& files, const std::string& path, size_t limit);

} // namespace platform
