// The clock behind Sleep and the C runtime thread stand-ins.
#include <gtest/gtest.h>

#include <atomic>

#include "platform/runtime/clock.h"
#include "platform/runtime/threads.h"

namespace {

TEST(VirtualClock, SleepAdvancesAtOnceAndIsCounted) {
  platform::UseVirtualClock();
  platform::ResetSleepStats();
  for (int i = 0; i < 10000; ++i) Sleep(1);
  EXPECT_EQ(platform::NowMs(), 10000u);
  platform::AdvanceVirtualClock(2500);
  EXPECT_EQ(platform::NowMs(), 12500u);
  auto stats = platform::CurrentSleepStats();
  EXPECT_EQ(stats.calls, 10000u);
  EXPECT_EQ(stats.totalMs, 10000u);
  platform::UseVirtualClock();
  EXPECT_EQ(platform::NowMs(), 0u) << "switching to the virtual clock starts it at zero";
  platform::UseRealClock();
  EXPECT_FALSE(platform::VirtualClockInUse());
}

std::atomic<int> reached{0};

void EndsEarly(void* argument) {
  static_cast<std::atomic<int>*>(argument)->fetch_add(1);
  _endthread();
}

void RunsToTheEnd(void* argument) { static_cast<std::atomic<int>*>(argument)->fetch_add(10); }

TEST(Threads, StartRunAndEnd) {
  std::atomic<int> count{0};
  ASSERT_NE(_beginthread(EndsEarly, 0, &count), static_cast<std::uintptr_t>(-1));
  ASSERT_NE(_beginthread(RunsToTheEnd, 0, &count), static_cast<std::uintptr_t>(-1));
  platform::WaitForThreads();
  EXPECT_EQ(count.load(), 11);
  EXPECT_EQ(platform::RunningThreads(), 0u);

  platform::SetThreadStartFailure(true);
  EXPECT_EQ(_beginthread(RunsToTheEnd, 0, &count), static_cast<std::uintptr_t>(-1));
  platform::SetThreadStartFailure(false);
  platform::WaitForThreads();
  EXPECT_EQ(count.load(), 11) << "a thread that failed to start ran nothing";
}

}  // namespace
