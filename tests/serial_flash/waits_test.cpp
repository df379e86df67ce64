// The done-flag wait and the flash-idle wait, polls and pauses counted on the virtual clock.
#include <gtest/gtest.h>

#include "fake_fixture.h"
#include "platform/runtime/clock.h"
#include "serial_flash/serial_flash.h"

namespace sftest {
namespace {

class WaitsTest : public FakeCameraTest {
 protected:
  void SetUp() override {
    FakeCameraTest::SetUp();
    ASSERT_EQ(Open(), SF_OPEN_OK);
    platform::ResetSleepStats();
  }
};

// One status poll: select, send 0x05, receive, each shift with its done-flag read.
std::vector<Req> StatusPoll() {
  return Seq({{RegWrite(0x1091, 0), RegWrite(0x1082, 0x05), RegWrite(0x1081, 1)}, RegRead(0x1084),
              {RegWrite(0x1083, 0), RegWrite(0x1081, 2)}, RegRead(0x1084), RegRead(0x1083)});
}

TEST_F(WaitsTest, FlashIdleWaitPollsUntilTheBusyBitClears) {
  struct Case {
    const char* name;
    std::vector<std::uint8_t> statuses;
    int polls;
  };
  const Case cases[] = {
      {"idle at the first poll", {0x00}, 1},
      {"write-enable latch alone is idle", {0x02}, 1},
      {"busy 0x01 then idle", {0x01, 0x00}, 2},
      {"busy 0x03 twice then 0x02", {0x03, 0x03, 0x02}, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    statuses_ = c.statuses;
    statusReads_ = 0;
    Forget();
    platform::ResetSleepStats();
    SFWaitIdle();
    std::vector<Req> expected;
    for (int i = 0; i < c.polls; ++i) expected = Seq({expected, StatusPoll()});
    expected.push_back(RegWrite(0x1091, 1));
    EXPECT_TRUE(SameRequests(expected, Requests()));
    EXPECT_EQ(platform::CurrentSleepStats().calls, static_cast<std::uint64_t>(c.polls - 1));
    EXPECT_EQ(regs_[0x1091], 1) << "chip select released";
  }
}

TEST_F(WaitsTest, StuckBusyFlashRunsTenThousandPollsAndStaysSelected) {
  statuses_ = {0x01};
  Forget();
  SFWaitIdle();
  EXPECT_EQ(platform::CurrentSleepStats().calls, 10000u);
  EXPECT_EQ(platform::CurrentSleepStats().totalMs, 10000u);
  EXPECT_EQ(statusReads_, 10000u);
  std::vector<Req> all = Requests();
  ASSERT_EQ(all.size(), 10000u * StatusPoll().size());
  EXPECT_TRUE(SameRequests(StatusPoll(), std::vector<Req>(all.end() - 11, all.end())));
  EXPECT_EQ(regs_[0x1091], 0) << "chip select stays asserted";
}

TEST_F(WaitsTest, StuckDoneFlagRunsAThousandPolls) {
  doneStuck_ = true;
  Forget();
  SFWaitReady();
  EXPECT_EQ(platform::CurrentSleepStats().calls, 1000u);
  EXPECT_EQ(platform::CurrentSleepStats().totalMs, 1000u);
  std::vector<Req> expected;
  for (int i = 0; i < 1000; ++i) expected = Seq({expected, RegRead(0x1084)});
  EXPECT_TRUE(SameRequests(expected, Requests()));
}

TEST_F(WaitsTest, DoneFlagAtTheFirstPollIsOneRead) {
  Forget();
  SFWaitReady();
  EXPECT_TRUE(SameRequests(RegRead(0x1084), Requests()));
  EXPECT_EQ(platform::CurrentSleepStats().calls, 0u);
}

TEST_F(WaitsTest, FailingDoneReadsCountAsNotDone) {
  Forget();
  state_->results.assign(2000, E_FAIL);  // every request fails
  SFWaitReady();
  EXPECT_EQ(platform::CurrentSleepStats().calls, 1000u);
}

}  // namespace
}  // namespace sftest
