#include "AutoResetEvent.h"

#include <gtest/gtest.h>

#include <thread>

using platform::AutoResetEvent;
using namespace std::chrono_literals;

TEST(AutoResetEvent, OneSetIsTakenByOnePollOnly) {
    AutoResetEvent event;
    EXPECT_FALSE(event.Poll());
    event.Set();
    event.Set(); // a second Set before anyone took the first still counts once
    EXPECT_TRUE(event.Poll());
    EXPECT_FALSE(event.Poll());
}

TEST(AutoResetEvent, SetThatNobodyTookWaitsForTheNextPoll) {
    AutoResetEvent event;
    event.Set();
    EXPECT_TRUE(event.Wait(0ms));
    EXPECT_FALSE(event.Wait(1ms));
}

TEST(AutoResetEvent, WakesAWaiterOnAnotherThread) {
    AutoResetEvent event;
    std::thread setter([&] {
        std::this_thread::sleep_for(5ms);
        event.Set();
    });
    EXPECT_TRUE(event.Wait(10s));
    setter.join();
    EXPECT_FALSE(event.Poll());
}
