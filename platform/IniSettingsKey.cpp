#include "IniSettingsKey.h"

#include "SettingsFileWrite.h"
#include "SettingsLocation.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSettings>
#include <QStringList>

namespace platform {

IniSettingsKey::IniSettingsKey(const std::string& file)
    : settings_(std::make_unique<QSettings>(QString::fromStdString(file), QSettings::IniFormat)) {}

IniSettingsKey::~IniSettingsKey() = default;

std::unique_ptr<IniSettingsKey> IniSettingsKey::OpenForReading(const std::string& file) {
    if (file.empty())
        return nullptr;
    QFileInfo info(QString::fromStdString(file));
    if (!info.isFile() || !info.isReadable())
        return nullptr;
    return std::unique_ptr<IniSettingsKey>(new IniSettingsKey(file));
}

std::unique_ptr<IniSettingsKey> IniSettingsKey::OpenCreating(const std::string& file) {
    if (file.empty())
        return nullptr;
    QFileInfo info(QString::fromStdString(file));
    if (!info.exists()) {
        if (!QDir().mkpath(info.absolutePath()))
            return nullptr;
        QFile created(info.absoluteFilePath());
        if (!created.open(QIODevice::WriteOnly | QIODevice::Append))
            return nullptr;
    } else if (!info.isFile()) {
        return nullptr;
    }
    return std::unique_ptr<IniSettingsKey>(new IniSettingsKey(file));
}

std::unique_ptr<IniSettingsKey> IniSettingsKey::OpenProgramForReading() {
    return OpenForReading(ProgramSettingsFile());
}

std::unique_ptr<IniSettingsKey> IniSettingsKey::OpenProgramCreating() {
    return OpenCreating(ProgramSettingsFile());
}

std::string IniSettingsKey::WriteValues(const std::string& file, const std::vector<IniValue>& values,
                                        CFileAccess& files) {
    // The lock QSettings takes while it writes the same file, so that neither writer loses the other's values.
    // Without it (a read-only folder, a writer that holds it too long) the write goes ahead: the file
    // itself is replaced in one step either way.
    QLockFile lock(QString::fromStdString(file) + QStringLiteral(".lock"));
    (void)lock.tryLock(5000);
    return WriteSettingsFile(file, values, files);
}

std::string IniSettingsKey::WriteProgramValues(const std::vector<IniValue>& values) {
    return WriteValues(ProgramSettingsFile(), values);
}

std::optional<std::string> IniSettingsKey::ReadStored(const std::string& name) const {
    const QString key = QString::fromStdString(name);
    if (!settings_->contains(key))
        return std::nullopt;
    const QVariant value = settings_->value(key);
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QStringLiteral(", ")).toStdString();
    return value.toString().toStdString();
}

bool IniSettingsKey::Write(const std::string& name, const std::string& value) {
    settings_->setValue(QString::fromStdString(name), QString::fromStdString(value));
    settings_->sync();
    return settings_->status() == QSettings::NoError;
}

} // namespace platform
