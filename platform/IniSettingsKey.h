// A settings key kept in an INI file. The key "exists" when its file exists; opening it creating makes
// the folder and an empty file when they are missing.
//
// Values this program writes read back exactly. A value edited by hand that the INI reader splits into
// a list (an unquoted comma) reads back joined with ", ".
//
// Thread contract: one object per thread; separate objects on the same file may live on several threads.
#pragma once

#include "FileAccess.h"
#include "IniText.h"
#include "SettingsKey.h"

#include <memory>
#include <string>
#include <vector>

class QSettings;

namespace platform {

class IniSettingsKey : public SettingsKey {
public:
    // Null when the file does not exist or cannot be read.
    static std::unique_ptr<IniSettingsKey> OpenForReading(const std::string& file);
    // Null when the folder or file cannot be created.
    static std::unique_ptr<IniSettingsKey> OpenCreating(const std::string& file);

    // The program's own key (VORANTE.ini in the settings folder).
    static std::unique_ptr<IniSettingsKey> OpenProgramForReading();
    static std::unique_ptr<IniSettingsKey> OpenProgramCreating();

    // Sets several values of `file` in one step (all of them or, on a failure, none; the old file stays
    // whole), in turn with other writers of the same file. Empty on success, else the reason with the
    // system's error text.
    static std::string WriteValues(const std::string& file, const std::vector<IniValue>& values,
                                   CFileAccess& files = CFileAccess::System());
    static std::string WriteProgramValues(const std::vector<IniValue>& values);

    ~IniSettingsKey() override;

    bool Write(const std::string& name, const std::string& value) override;

protected:
    std::optional<std::string> ReadStored(const std::string& name) const override;

private:
    explicit IniSettingsKey(const std::string& file);
    std::unique_ptr<QSettings> settings_;
};

} // namespace platform
