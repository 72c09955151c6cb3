#include "CommObjs.h"
#include "CommTestSupport.h"

#include <gtest/gtest.h>

#include <thread>

using commtest::millisecondsOf;
using namespace std::chrono_literals;

namespace {

TEST(CommEvents, ASimpleEventIsManualResetAndStartsUnsignalled) {
    TSimpleEvent event;
    EXPECT_EQ(event.WaitFor(0), wrTimeout);
    event.SetEvent();
    EXPECT_EQ(event.WaitFor(0), wrSignaled);
    EXPECT_EQ(event.WaitFor(0), wrSignaled) << "a wait does not reset it";
    event.ResetEvent();
    EXPECT_EQ(event.WaitFor(0), wrTimeout);
}

TEST(CommEvents, AnAutoResetEventReleasesOneWait) {
    TEvent event(nullptr, false, true, QString());
    EXPECT_EQ(event.WaitFor(0), wrSignaled);
    EXPECT_EQ(event.WaitFor(0), wrTimeout);
    event.SetEvent();
    event.SetEvent();
    EXPECT_EQ(event.WaitFor(0), wrSignaled);
    EXPECT_EQ(event.WaitFor(0), wrTimeout);
}

TEST(CommEvents, AWaitRunsOutAfterItsTimeOut) {
    TSimpleEvent event;
    TEventWaitResult result = wrSignaled;
    const auto elapsed = millisecondsOf([&] { result = event.WaitFor(80); });
    EXPECT_EQ(result, wrTimeout);
    EXPECT_GE(elapsed, 80);
    EXPECT_LT(elapsed, 1000);
}

TEST(CommEvents, SettingTheEventEndsAWaitInAnotherThread) {
    TSimpleEvent event;
    TEventWaitResult result = wrTimeout;
    std::thread waiter([&] { result = event.WaitFor(platform::Infinite); });
    std::this_thread::sleep_for(20ms);
    event.SetEvent();
    waiter.join();
    EXPECT_EQ(result, wrSignaled);
}

TEST(CommEvents, ANamedEventCannotBeMadeAndItsWaitsFail) {
    TEvent event(nullptr, true, false, QStringLiteral("Global\\Keypad"));
    EXPECT_EQ(event.Handle(), platform::InvalidHandleValue);
    EXPECT_EQ(event.WaitFor(0), wrError);
    EXPECT_EQ(event.Error(), int(platform::error::InvalidHandle));
}

TEST(CommCriticalSection, ExcludesOtherThreadsAndLetsItsOwnerEnterAgain) {
    TCriticalSection section;
    long counter = 0;
    const auto work = [&] {
        for (int round = 0; round < 20000; ++round) {
            section.Enter();
            section.Acquire();
            ++counter;
            section.Release();
            section.Leave();
        }
    };
    std::thread other(work);
    work();
    other.join();
    EXPECT_EQ(counter, 40000);
}

} // namespace
