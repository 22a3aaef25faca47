#include "FileAccess.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

bool CFileAccess::Stat(const std::string& path, SFileInfo& info) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return false;
    info.isRegular = S_ISREG(st.st_mode);
    info.permissions = static_cast<uint32_t>(st.st_mode & 07777);
    info.readOnly = (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 || ::access(path.c_str(), W_OK) != 0;
    info.size = st.st_size > 0 ? static_cast<uint64_t>(st.st_size) : 0;
    return true;
}

int CFileAccess::OpenForReading(const std::string& path) {
    int fd;
    do {
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd >= 0)
        ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    return fd;
}

int64_t CFileAccess::Read(int fd, char* buffer, size_t size) {
    ssize_t n;
    do {
        n = ::read(fd, buffer, size);
    } while (n < 0 && errno == EINTR);
    return n;
}

int CFileAccess::CreateTemporary(const std::string& folder, const std::string& prefix, std::string& path) {
    static const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    thread_local std::mt19937_64 random{std::random_device{}() ^ static_cast<uint64_t>(::getpid())};
    std::uniform_int_distribution<int> pick(0, static_cast<int>(sizeof letters) - 2);
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string candidate = folder + "/" + prefix;
        for (int i = 0; i < 8; ++i)
            candidate += letters[pick(random)];
        // Mode 0666 lets the process's umask decide, as for any new file the user creates.
        int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            path = candidate;
            return fd;
        }
        if (errno != EEXIST && errno != EINTR)
            return -1;
    }
    return -1;
}

int64_t CFileAccess::Write(int fd, const char* data, size_t size) {
    ssize_t n;
    do {
        n = ::write(fd, data, size);
    } while (n < 0 && errno == EINTR);
    return n;
}

bool CFileAccess::SetPermissions(int fd, uint32_t permissions) {
    return ::fchmod(fd, static_cast<mode_t>(permissions)) == 0;
}

bool CFileAccess::SyncToDisk(int fd) {
    int rc;
    do {
        rc = ::fsync(fd);
    } while (rc != 0 && errno == EINTR);
    return rc == 0;
}

bool CFileAccess::Close(int fd) {
    // Linux releases the descriptor even when close reports an error, so it is never retried.
    return ::close(fd) == 0;
}

bool CFileAccess::Rename(const std::string& from, const std::string& to) {
    return ::rename(from.c_str(), to.c_str()) == 0;
}

bool CFileAccess::Remove(const std::string& path) {
    return ::unlink(path.c_str()) == 0;
}

void CFileAccess::SyncFolder(const std::string& folder) {
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

std::string CFileAccess::ResolveLinks(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
        return path;
    char* resolved = ::realpath(path.c_str(), nullptr);
    if (resolved == nullptr)
        return path;
    std::string result(resolved);
    std::free(resolved);
    return result;
}

CFileAccess& CFileAccess::System() {
    static CFileAccess system;
    return system;
}

} // namespace platform
