// The done-flag wait and the flash-idle wait, polls and pauses counted on the virtual clock.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "camera_fixture.h"
#include "platform/runtime/clock.h"
#include "serial_flash/serial_flash.h"

namespace sftest {
namespace {

using Fault = simcam::Fault;

class WaitsTest : public CameraTest {
 protected:
  void SetUp() override {
    CameraTest::SetUp();
    ASSERT_EQ(Open(), SF_OPEN_OK);
    ASSERT_TRUE(SFWriteReg(0x1080, 1));  // the idle wait runs with host access on
    Forget();
    platform::ResetSleepStats();
  }
  // One command frame of its own: select, the opcode, release.
  void SendCommand(std::uint8_t opcode) {
    SFWriteReg(0x1091, 0);
    SFWriteReg(0x1082, opcode);
    SFWriteReg(0x1081, 1);
    SFWaitReady();
    SFWriteReg(0x1091, 1);
  }
};

// A poll whose status read fails.
constexpr int kFailedRead = -1;

// One status poll: select, send 0x05, receive, each shift with its done-flag read; the status
// read answers `status`, or fails (its reply is then not compared).
std::vector<Req> StatusPoll(int status) {
  std::vector<Req> poll = Seq({{RegWrite(0x1091, 0), RegWrite(0x1082, 0x05), RegWrite(0x1081, 1)}, RegRead(0x1084),
                               {RegWrite(0x1083, 0), RegWrite(0x1081, 2)}, RegRead(0x1084), RegRead(0x1083)});
  if (status != kFailedRead) poll.back().bytes = {0x83, 0x10, static_cast<std::uint8_t>(status), 0xFF};
  return poll;
}

// Fails the nth read (the GET) of the register, counted from 1.
Fault FailNthRead(std::uint16_t reg, unsigned nth) {
  return {.kind = Fault::Kind::FailRequest,
          .match = {.control = 1, .kind = simcam::RequestRecord::Kind::Get, .address = reg},
          .nth = nth};
}

// Fails the status read (the GET of register 0x1083) of the given poll, counted from 1.
Fault StatusReadFails(unsigned poll) { return FailNthRead(0x1083, poll); }

// Fails the nth write (the SET) of the register, counted from 1, and only it.
Fault FailNthWrite(std::uint16_t reg, unsigned nth) {
  return {.kind = Fault::Kind::FailRequest,
          .match = {.control = 1, .kind = simcam::RequestRecord::Kind::Set, .address = reg},
          .nth = nth};
}

TEST_F(WaitsTest, FlashIdleWaitPollsUntilTheBusyBitClears) {
  struct Case {
    const char* name;
    std::uint8_t status;             // status register bits 2 to 7
    bool writeEnable;                // the latch is set first
    unsigned busyMs;                 // an erase is left running this long
    std::vector<int> polls;          // statuses the polls read, or kFailedRead
  };
  // A failed status read counts as busy: the polling goes on until a read answers idle. Only
  // three polls in a row whose status read failed end the wait, as if it had run out.
  constexpr int F = kFailedRead;
  const Case cases[] = {
      {"idle at the first poll", 0x00, false, 0, {0x00}},
      {"write-enable latch alone is idle", 0x00, true, 0, {0x02}},
      {"busy 0x01 then idle", 0x00, false, 1, {0x01, 0x00}},
      {"busy with the lock bit twice, then the lock bit alone", 0x80, false, 2, {0x81, 0x81, 0x80}},
      {"a failed read on an idle flash, then idle", 0x00, false, 0, {F, 0x00}},
      {"failed, busy, failed, then idle", 0x00, false, 3, {F, 0x01, F, 0x00}},
      {"two failed reads, then idle", 0x00, false, 0, {F, F, 0x00}},
      {"a busy answer starts the count again", 0x00, false, 3, {F, F, 0x01, F, F, 0x00}},
      {"three failed reads on an idle flash give up", 0x00, false, 0, {F, F, F}},
      {"three failed reads after a busy answer give up", 0x00, false, 100, {0x01, F, F, F}},
  };
  const std::uint32_t eraseMs = Camera().Config().flash.eraseMs;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SFWriteReg(0x1091, 1);  // a wait that gave up left chip select asserted
    Camera().SetStatusRegister(c.status);
    if (c.busyMs != 0) {
      SendCommand(0x06);
      SendCommand(0x60);
      platform::AdvanceVirtualClock(eraseMs - c.busyMs);
    }
    if (c.writeEnable) SendCommand(0x06);
    Camera().ClearFaults();
    for (std::size_t poll = 0; poll < c.polls.size(); ++poll) {
      if (c.polls[poll] == kFailedRead) Camera().AddFault(StatusReadFails(static_cast<unsigned>(poll) + 1));
    }
    Forget();
    platform::ResetSleepStats();
    SFWaitIdle();
    std::vector<Req> expected;
    for (int status : c.polls) expected = Seq({expected, StatusPoll(status)});
    const bool gaveUp = c.polls.back() == kFailedRead;
    if (!gaveUp) expected.push_back(RegWrite(0x1091, 1));
    EXPECT_TRUE(SameRequests(expected, Requests()));
    EXPECT_EQ(platform::CurrentSleepStats().calls, c.polls.size() - 1);
    EXPECT_EQ(Camera().ChipSelected(), gaveUp) << "released when idle, left asserted when it gives up";
  }
}

TEST_F(WaitsTest, StuckBusyFlashRunsTenThousandPollsAndStaysSelected) {
  Camera().AddFault({.kind = Fault::Kind::BusyStuck});
  Camera().SetStatusRegister(0x00);
  SFWaitIdle();
  EXPECT_EQ(platform::CurrentSleepStats().calls, 10000u);
  EXPECT_EQ(platform::CurrentSleepStats().totalMs, 10000u);
  std::vector<Req> all = Requests();
  ASSERT_EQ(all.size(), 10000u * StatusPoll(0x01).size());
  std::size_t statusReads = 0;
  for (std::size_t at = 0; at < all.size(); at += StatusPoll(0x01).size()) {
    std::vector<Req> poll(all.begin() + static_cast<std::ptrdiff_t>(at),
                          all.begin() + static_cast<std::ptrdiff_t>(at + StatusPoll(0x01).size()));
    if (SameRequests(StatusPoll(0x01), poll)) ++statusReads;
  }
  EXPECT_EQ(statusReads, 10000u) << "every poll read the busy status";
  EXPECT_TRUE(Camera().ChipSelected()) << "chip select stays asserted";
}

TEST_F(WaitsTest, StuckDoneFlagRunsAThousandPolls) {
  Camera().AddFault({.kind = Fault::Kind::DoneStuck});
  SFWaitReady();
  EXPECT_EQ(platform::CurrentSleepStats().calls, 1000u);
  EXPECT_EQ(platform::CurrentSleepStats().totalMs, 1000u);
  std::vector<Req> expected;
  for (int i = 0; i < 1000; ++i) expected = Seq({expected, RegRead(0x1084)});
  EXPECT_TRUE(SameRequests(expected, Requests()));
}

TEST_F(WaitsTest, DoneFlagAtTheFirstPollIsOneRead) {
  SFWaitReady();
  EXPECT_TRUE(SameRequests(RegRead(0x1084), Requests()));
  EXPECT_EQ(platform::CurrentSleepStats().calls, 0u);
}

// A failed read of the done flag counts as "not done", as an answer does; only three of them in
// a row end the wait, as if it had run out. The pattern lists what each read gets: F a failure,
// 0 "not done", 1 "done". Every read but the last is followed by a 1 ms pause.
TEST_F(WaitsTest, DoneFlagWaitGivesUpOnlyAfterThreeFailedReadsInARow) {
  struct Case {
    const char* pattern;
    unsigned donePolls;  // answered reads after the shift until the flag reads 1
  };
  const Case cases[] = {
      {"FFF", 1},       // a camera that no longer answers
      {"FF1", 1},       // two failures, then done
      {"FF0FF1", 2},    // an answer in between starts the count again
      {"0FFF", 100},    // three failures after a "not done"
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.pattern);
    simcam::CameraConfig config;
    config.donePolls = c.donePolls;
    Replace(config);
    ASSERT_EQ(Open(), SF_OPEN_OK);
    ASSERT_TRUE(SFWriteReg(0x1081, 1));  // a shift starts the done flag's count
    const std::string pattern = c.pattern;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
      if (pattern[i] == 'F') Camera().AddFault(FailNthRead(0x1084, static_cast<unsigned>(i + 1)));
    }
    Forget();
    platform::ResetSleepStats();
    SFWaitReady();
    std::vector<Req> expected;
    for (std::size_t i = 0; i < pattern.size(); ++i) expected = Seq({expected, RegRead(0x1084)});
    EXPECT_TRUE(SameRequests(expected, Requests()));
    EXPECT_EQ(platform::CurrentSleepStats().calls, pattern.size() - 1);
  }
}

TEST_F(WaitsTest, StatusReadAnswersOnlyWhenTheCameraAnsweredTheWholeFrame) {
  struct Case {
    const char* name;
    std::function<void(simcam::SimulatedCamera&)> arrange;
    bool answered;
    std::uint8_t status;
    bool leftSelected = false;  // the release did not get through
  };
  const Case cases[] = {
      {"idle", [](auto&) {}, true, 0x00},
      {"busy, lock bit set",
       [](auto& camera) {
         camera.SetStatusRegister(0x80);
         camera.AddFault({.kind = Fault::Kind::BusyStuck});
       },
       true, 0x81},
      {"status read fails", [](auto& camera) { camera.AddFault(StatusReadFails(1)); }, false, 0},
      {"shift command refused",
       [](auto& camera) { camera.AddFault({.kind = Fault::Kind::RegisterWriteFails, .reg = 0x1081}); }, false, 0},
      {"done flag never set", [](auto& camera) { camera.AddFault({.kind = Fault::Kind::DoneStuck}); }, false, 0},
      // A single refused write of the frame is enough: the byte read back may not be the status.
      {"chip select refused", [](auto& camera) { camera.AddFault(FailNthWrite(0x1091, 1)); }, false, 0},
      {"shift-in command refused", [](auto& camera) { camera.AddFault(FailNthWrite(0x1081, 2)); }, false, 0},
      {"release refused", [](auto& camera) { camera.AddFault(FailNthWrite(0x1091, 2)); }, false, 0, true},
      {"camera gone", [](auto& camera) { camera.AddFault({.kind = Fault::Kind::Disconnect}); }, false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Replace(simcam::CameraConfig{});
    ASSERT_EQ(Open(), SF_OPEN_OK);
    ASSERT_TRUE(SFWriteReg(0x1080, 1));
    Camera().SetStatusRegister(0x00);
    c.arrange(Camera());
    Forget();
    std::uint8_t status = 0x5A;
    EXPECT_EQ(SFReadFlashStatus(&status), c.answered);
    EXPECT_EQ(status, c.answered ? c.status : 0x5A);
    EXPECT_EQ(Camera().ChipSelected(), c.leftSelected);
    if (c.answered) {
      EXPECT_TRUE(SameRequests(Seq({StatusPoll(c.status), One(RegWrite(0x1091, 1))}), Requests()));
    }
  }
}

}  // namespace
}  // namespace sftest
