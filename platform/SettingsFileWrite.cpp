#include "SettingsFileWrite.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace platform {

namespace {

std::string Failure(const std::string& file, int error) {
    return "The settings could not be saved to " + file + ": " + std::strerror(error != 0 ? error : EIO);
}

std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The whole file, or false with errno set.
bool ReadAll(CFileAccess& files, const std::string& path, std::string& text) {
    errno = 0;
    const int fd = files.OpenForReading(path);
    if (fd < 0)
        return false;
    char buffer[16384];
    for (;;) {
        errno = 0;
        const int64_t n = files.Read(fd, buffer, sizeof buffer);
        if (n < 0) {
            const int error = errno;
            files.Close(fd);
            errno = error;
            return false;
        }
        if (n == 0)
            break;
        text.append(buffer, static_cast<size_t>(n));
    }
    files.Close(fd);
    return true;
}

bool WriteAll(CFileAccess& files, int fd, const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
        errno = 0;
        const int64_t n = files.Write(fd, text.data() + done, text.size() - done);
        if (n <= 0) {
            if (errno == 0)
                errno = ENOSPC; // a write that takes nothing: the disk is full
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

} // namespace

std::string WriteSettingsFile(const std::string& file, const std::vector<IniValue>& values, CFileAccess& files) {
    if (file.empty())
        return "The settings could not be saved: no settings folder is known (HOME is not set).";
    const std::string target = files.ResolveLinks(file);
    const std::string folder = FolderOf(target);
    CFileAccess::SFileInfo info;
    const bool exists = files.Stat(target, info);
    std::string old;
    if (exists) {
        if (!info.isRegular)
            return Failure(target, EISDIR);
        // Renaming over it would succeed in a writable folder; a read-only file is not replaced.
        if (info.readOnly)
            return Failure(target, EACCES);
        if (!ReadAll(files, target, old))
            return Failure(target, errno);
    } else {
        std::error_code error;
        std::filesystem::create_directories(folder, error);
        if (error)
            return Failure(target, error.value());
    }

    const std::string text = SetIniValues(old, values);
    std::string temporary;
    errno = 0;
    const int fd = files.CreateTemporary(folder, "." + NameOf(target) + ".", temporary);
    if (fd < 0)
        return Failure(target, errno);
    bool ok = WriteAll(files, fd, text);
    if (ok && exists) {
        errno = 0;
        ok = files.SetPermissions(fd, info.permissions);
    }
    if (ok) {
        errno = 0;
        ok = files.SyncToDisk(fd);
    }
    int error = errno;
    errno = 0;
    const bool closed = files.Close(fd);
    if (ok && !closed) {
        ok = false;
        error = errno;
    }
    if (ok) {
        errno = 0;
        ok = files.Rename(temporary, target);
        error = errno;
    }
    if (!ok) {
        files.Remove(temporary);
        return Failure(target, error);
    }
    files.SyncFolder(folder);
    return std::string();
}

} // namespace platform
