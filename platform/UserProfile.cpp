#include "UserProfile.h"

#include "SettingsLocation.h"

#include <QSettings>

#include <algorithm>

namespace platform {

namespace {
const char* const kRecentSection = "Recent File List";

// A section name uses backslashes between its parts; the INI store nests groups with slashes.
QString Key(const std::string& section, const std::string& entry) {
    QString group = QString::fromStdString(section);
    group.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return group + QLatin1Char('/') + QString::fromStdString(entry);
}
} // namespace

UserProfile::UserProfile(const std::string& file)
    : settings_(std::make_unique<QSettings>(QString::fromStdString(file.empty() ? UserProfileFile() : file),
                                            QSettings::IniFormat)) {}

UserProfile::~UserProfile() = default;

std::string UserProfile::GetString(const std::string& section, const std::string& entry,
                                   const std::string& fallback) const {
    const QString key = Key(section, entry);
    if (!settings_->contains(key))
        return fallback;
    return settings_->value(key).toString().toStdString();
}

int UserProfile::GetInt(const std::string& section, const std::string& entry, int fallback) const {
    bool ok = false;
    const int value = settings_->value(Key(section, entry)).toInt(&ok);
    return ok ? value : fallback;
}

bool UserProfile::WriteString(const std::string& section, const std::string& entry, const std::string& value) {
    settings_->setValue(Key(section, entry), QString::fromStdString(value));
    settings_->sync();
    return settings_->status() == QSettings::NoError;
}

bool UserProfile::WriteInt(const std::string& section, const std::string& entry, int value) {
    settings_->setValue(Key(section, entry), value);
    settings_->sync();
    return settings_->status() == QSettings::NoError;
}

std::vector<std::string> UserProfile::RecentFiles() const {
    std::vector<std::string> files;
    for (int i = 1; i <= kRecentFileCount; ++i) {
        std::string path = GetString(kRecentSection, "File" + std::to_string(i), std::string());
        if (!path.empty())
            files.push_back(path);
    }
    return files;
}

bool UserProfile::WriteRecentFiles(const std::vector<std::string>& files) {
    bool ok = true;
    for (int i = 1; i <= kRecentFileCount; ++i) {
        const std::string entry = "File" + std::to_string(i);
        if (size_t(i) <= files.size())
            ok = WriteString(kRecentSection, entry, files[i - 1]) && ok;
        else
            settings_->remove(Key(kRecentSection, entry));
    }
    settings_->sync();
    return ok && settings_->status() == QSettings::NoError;
}

void AddRecentFile(std::vector<std::string>& files, const std::string& path, size_t limit) {
    files.erase(std::remove(files.begin(), files.end(), path), files.end());
    files.insert(files.begin(), path);
    if (files.size() > limit)
        files.resize(limit);
}

} // namespace platform
