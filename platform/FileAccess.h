// The program's door to the file system: every open, read, write, flush and rename of a file the user
// keeps (the text buffer's files, exported rows) goes through one object of this class. The system
// object does the real calls; tests put a subclass in its place to make a chosen call fail and check
// that no file is lost.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {

class CFileAccess {
public:
    struct SFileInfo {
        bool isRegular = false;
        // The file may not be written: it has no write permission bit at all, or this process may not
        // write it. This is what the editor shows as a read-only file.
        bool readOnly = false;
        uint32_t permissions = 0; // the mode's permission bits (07777)
        uint64_t size = 0;
    };

    virtual ~CFileAccess() = default;

    // The attributes of an existing file, symbolic links followed. False when there is no such file.
    virtual bool Stat(const std::string& path, SFileInfo& info);
    // A descriptor open for sequential reading, or -1.
    virtual int OpenForReading(const std::string& path);
    // Bytes read (fewer than asked is allowed), 0 at the end of the file, -1 on an error.
    virtual int64_t Read(int fd, char* buffer, size_t size);
    // Creates a new file with a unique name made of `prefix` and random characters inside `folder`,
    // open for writing and not shared; returns its descriptor and sets `path`, or -1.
    virtual int CreateTemporary(const std::string& folder, const std::string& prefix, std::string& path);
    // Bytes written (fewer than asked is allowed), -1 on an error.
    virtual int64_t Write(int fd, const char* data, size_t size);
    virtual bool SetPermissions(int fd, uint32_t permissions);
    // Waits until the file's data is on the disk.
    virtual bool SyncToDisk(int fd);
    // False when closing reports an error (a delayed write failure).
    virtual bool Close(int fd);
    // Replaces `to` by `from` in one step: `to` names either the old or the new file at every moment.
    virtual bool Rename(const std::string& from, const std::string& to);
    virtual bool Remove(const std::string& path);
    // Makes a rename in the folder durable. Best effort: a failure here loses nothing.
    virtual void SyncFolder(const std::string& folder);
    // The file a path finally names when it is a symbolic link (so that saving replaces the file the
    // link points to, not the link); the path itself otherwise.
    virtual std::string ResolveLinks(const std::string& path);

    // The object that does the real system calls.
    static CFileAccess& System();
};

} // namespace platform
