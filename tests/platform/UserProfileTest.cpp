#include "UserProfile.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

using namespace platform;

TEST(UserProfile, SectionsEntriesAndRecentFilesPersist) {
    char pattern[] = "/tmp/quarvel-profile-XXXXXX";
    const std::string dir = mkdtemp(pattern);
    const std::string file = dir + "/Quarvel.ini";
    {
        UserProfile profile(file);
        EXPECT_EQ(profile.GetString("TextEditor\\Find", "What", "none"), "none");
        EXPECT_EQ(profile.GetInt("TextEditor\\Find", "Flags", 7), 7);
        EXPECT_TRUE(profile.WriteString("TextEditor\\Find", "What", "select"));
        EXPECT_TRUE(profile.WriteInt("TextEditor\\PageSetup", "Left", 20));
        EXPECT_TRUE(profile.WriteRecentFiles({"/a.sql", "/b.sql"}));
    }
    UserProfile again(file);
    EXPECT_EQ(again.GetString("TextEditor\\Find", "What", ""), "select");
    EXPECT_EQ(again.GetInt("TextEditor\\PageSetup", "Left", 0), 20);
    EXPECT_EQ(again.GetInt("TextEditor\\Replace", "Left", -1), -1);
    EXPECT_EQ(again.RecentFiles(), (std::vector<std::string>{"/a.sql", "/b.sql"}));
    EXPECT_TRUE(again.WriteRecentFiles({"/c.sql"}));
    EXPECT_EQ(UserProfile(file).RecentFiles(), (std::vector<std::string>{"/c.sql"}));
    std::filesystem::remove_all(dir);
}

TEST(UserProfile, RecentListKeepsNewestFirstWithoutDuplicates) {
    std::vector<std::string> files;
    for (const char* p : {"1", "2", "3", "4", "5", "3"})
        AddRecentFile(files, p, UserProfile::kRecentFileCount);
    EXPECT_EQ(files, (std::vector<std::string>{"3", "5", "4", "2"}));
}
