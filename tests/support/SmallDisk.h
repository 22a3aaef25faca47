// A file system of its own for tests of write failures: a small tmpfs mounted on a fresh folder, either
// nearly full or read-only. Mounting needs root (CAP_SYS_ADMIN); without it Mounted() is false and
// the test skips that case (or uses a folder without write permission, which stops anyone but root).
#pragma once

#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>

class SmallDisk {
public:
    enum class Kind { Full, ReadOnly };

    explicit SmallDisk(Kind kind) {
        char pattern[] = "/tmp/quarvel-disk-XXXXXX";
        if (mkdtemp(pattern) == nullptr)
            return;
        dir_ = pattern;
        if (geteuid() != 0)
            return;
        const unsigned long flags = kind == Kind::ReadOnly ? MS_RDONLY : 0;
        mounted_ = ::mount("tmpfs", dir_.c_str(), "tmpfs", flags, "size=64k,mode=0777") == 0;
        if (mounted_ && kind == Kind::Full)
            Fill();
    }
    ~SmallDisk() {
        if (mounted_)
            ::umount2(dir_.c_str(), MNT_DETACH);
        ::rmdir(dir_.c_str());
    }
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    bool Mounted() const { return mounted_; }
    const std::string& Dir() const { return dir_; }
    std::string File(const std::string& name) const { return dir_ + "/" + name; }

private:
    // Writes until the file system refuses another byte.
    void Fill() {
        std::FILE* file = std::fopen(File("filler").c_str(), "wb");
        if (file == nullptr)
            return;
        static const char block[4096] = {};
        while (std::fwrite(block, 1, sizeof block, file) == sizeof block) {
        }
        while (std::fwrite(block, 1, 1, file) == 1 && std::fflush(file) == 0) {
        }
        std::fclose(file);
    }

    std::string dir_;
    bool mounted_ = false;
};
