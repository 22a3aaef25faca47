// A fresh embedded database in a temporary folder, with the users DEMO/demo and SYS/sys (SYSDBA),
// and the client library pointed at the embedded client that this build produced.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>

class TestDatabase {
public:
    TestDatabase() {
        setenv("QUARVEL_OCI_LIBRARY", LITEOCI_LIBRARY, 1);
        char pattern[] = "/tmp/quarvel-db-XXXXXX";
        if (!mkdtemp(pattern))
            throw std::runtime_error("cannot make a temporary folder");
        dir_ = pattern;
        path_ = dir_ + "/test.db";
        Admin("create " + path_);
        Admin("user " + path_ + " DEMO demo");
        Admin("user " + path_ + " SYS sys --sysdba");
    }
    ~TestDatabase() {
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }
    TestDatabase(const TestDatabase&) = delete;
    TestDatabase& operator=(const TestDatabase&) = delete;

    const std::string& Path() const { return path_; }
    const std::string& Dir() const { return dir_; }

    // Runs liteoci-admin with the given arguments; throws when it fails.
    static void Admin(const std::string& args) {
        std::string command = std::string(LITEOCI_ADMIN) + " " + args + " >/dev/null";
        if (std::system(command.c_str()) != 0)
            throw std::runtime_error("liteoci-admin failed: " + args);
    }

private:
    std::string dir_;
    std::string path_;
};
