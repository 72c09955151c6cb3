#include "SerialTestSupport.h"
#include "SyncObjects.h"

#include <gtest/gtest.h>

#include <thread>

using commtest::millisecondsOf;
using namespace std::chrono_literals;

namespace {

TEST(ManualResetEvent, StaysSetUntilResetAndStartsUnset) {
    ManualResetEvent event;
    EXPECT_EQ(event.waitFor(0), WaitResult::Timeout);
    event.set();
    EXPECT_EQ(event.waitFor(0), WaitResult::Signaled);
    EXPECT_EQ(event.waitFor(0), WaitResult::Signaled) << "a wait does not reset it";
    event.reset();
    EXPECT_EQ(event.waitFor(0), WaitResult::Timeout);
}

TEST(ManualResetEvent, AWaitRunsOutAfterItsTimeOut) {
    ManualResetEvent event;
    WaitResult result = WaitResult::Signaled;
    const auto elapsed = millisecondsOf([&] { result = event.waitFor(80); });
    EXPECT_EQ(result, WaitResult::Timeout);
    EXPECT_GE(elapsed, 80);
    EXPECT_LT(elapsed, 1000);
}

TEST(ManualResetEvent, SettingTheEventEndsAWaitInAnotherThread) {
    ManualResetEvent event;
    WaitResult result = WaitResult::Timeout;
    std::thread waiter([&] { result = event.waitFor(platform::Infinite); });
    std::this_thread::sleep_for(20ms);
    event.set();
    waiter.join();
    EXPECT_EQ(result, WaitResult::Signaled);
}

} // namespace
