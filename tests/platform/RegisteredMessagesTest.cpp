#include "RegisteredMessages.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <thread>
#include <vector>

TEST(RegisteredMessages, SameNameSameIdDifferentNamesDifferentIds) {
    const uint32_t a = platform::RegisterMessageName("TEST_A_MESSAGE");
    const uint32_t b = platform::RegisterMessageName("TEST_B_MESSAGE");
    EXPECT_NE(a, 0u);
    EXPECT_NE(a, b);
    EXPECT_EQ(platform::RegisterMessageName("TEST_A_MESSAGE"), a);
}

TEST(RegisteredMessages, ProgramNamesFillTheirVariablesInOrder) {
    platform::RegisterProgramMessages();
    const auto& names = platform::ProgramMessageNames();
    EXPECT_STREQ(names.front(), "CLOSE_DLG_MESSAGE");
    EXPECT_STREQ(names[25], "SQL_OUTPUT_MESSAGE");
    EXPECT_STREQ(names.back(), "SHOW_VIEW_MESSAGE");

    std::set<uint32_t> ids;
    for (const char* name : names)
        ids.insert(platform::RegisterMessageName(name));
    EXPECT_EQ(ids.size(), 35u);

    EXPECT_EQ(SQL_OUTPUT_MESSAGE, platform::RegisterMessageName("SQL_OUTPUT_MESSAGE"));
    EXPECT_EQ(SB_SQL_STATUS_MESSAGE, platform::RegisterMessageName("SB_SQL_STATUS_MESSAGE"));
    EXPECT_EQ(SHOW_VIEW_MESSAGE, platform::RegisterMessageName("SHOW_VIEW_MESSAGE"));
    EXPECT_EQ(CLOSE_DLG_MESSAGE, platform::RegisterMessageName("CLOSE_DLG_MESSAGE"));
    // Registering again changes nothing.
    const uint32_t before = FETCH_ROW_STATUS;
    platform::RegisterProgramMessages();
    EXPECT_EQ(FETCH_ROW_STATUS, before);
}

TEST(RegisteredMessages, ConcurrentRegistrationAgreesOnOneId) {
    std::vector<uint32_t> seen(8);
    std::vector<std::thread> threads;
    for (size_t i = 0; i < seen.size(); ++i)
        threads.emplace_back([&seen, i] { seen[i] = platform::RegisterMessageName("TEST_RACE_MESSAGE"); });
    for (auto& t : threads)
        t.join();
    for (uint32_t id : seen)
        EXPECT_EQ(id, seen.front());
}
