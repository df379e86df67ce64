// Device slot 0 through the entry points: the open with its probe and chunk choice, the close,
// and the guard that makes every entry point on a closed slot send nothing.
#include <gtest/gtest.h>

#include "camera_fixture.h"
#include "platform/com/unknown.h"
#include "platform/devices/device_registry.h"
#include "platform/runtime/clock.h"
#include "serial_flash/device_slots.h"
#include "serial_flash/flash_identification.h"
#include "serial_flash/ks_transport.h"
#include "serial_flash/library_state_for_test.h"
#include "serial_flash/serial_flash.h"

namespace sftest {
namespace {

using Fault = simcam::Fault;
using Kind = simcam::RequestRecord::Kind;

const std::vector<Req> kProbeReads = Seq({Control4Read(0x9FF8), Control4Read(0xD2B2), Control4Read(0xDFF8),
                                          Control4Read(0xBFF8), Control4Read(0xC7F8)});

// Control-4 reads of the probe that fail at `address`.
Fault Control4SetFails(std::uint16_t address) {
  return {.kind = Fault::Kind::FailRequest, .match = {.control = 4, .kind = Kind::Set, .address = address}};
}

class DeviceSlotTest : public CameraTest {
 protected:
  // Opens and returns the open's traffic after the node search.
  int OpenKeepingTraffic() {
    Camera();
    int result = SFOpen();
    openTraffic_.clear();
    for (const Req& r : Requests()) {
      if (r.kind != Req::Kind::Probe) openTraffic_.push_back(r);
    }
    Forget();
    return result;
  }
  std::vector<Req> openTraffic_;
};

TEST_F(DeviceSlotTest, OpenProbesTheChipAndTakesChunkEight) {
  EXPECT_EQ(OpenKeepingTraffic(), SF_OPEN_OK);
  EXPECT_TRUE(SameRequests(kProbeReads, openTraffic_));
  EXPECT_EQ(g_sfLibrary.slotOpen[0], 1);
  EXPECT_EQ(g_sfLibrary.chipClass[0], 23);
  EXPECT_EQ(g_sfLibrary.chunkSize, 8u);
  for (std::uint8_t b : g_sfLibrary.checkBuffer[0]) EXPECT_EQ(b, 0) << "the check buffer is never written";
}

// A probe read that fails stops the probe; the unprobed chip's register 0x3C5 picks the chunk.
TEST_F(DeviceSlotTest, FailedProbeStopsAtItsFirstFailureAndReads3C5) {
  struct Case {
    const char* name;
    std::uint8_t reg3C5;
    bool regReadFails;
    int open;
    std::uint32_t chunk;
  };
  const Case cases[] = {
      {"0x3C5 = 3", 3, false, SF_OPEN_OK, 1},
      {"0x3C5 = 5", 5, false, SF_OPEN_OK, 8},
      {"0x3C5 unreadable", 3, true, SF_OPEN_FAILED, 8},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SFResetLibraryStateForTest();
    Camera().ClearFaults();
    Camera().SetReg(0x3C5, c.reg3C5);
    // Probe reads 1 and 2 pass, the third one's SET fails, then the 0x3C5 read whose GET may fail.
    Camera().AddFault(Control4SetFails(0xDFF8));
    if (c.regReadFails) Camera().AddFault({.kind = Fault::Kind::RegisterReadFails, .reg = 0x3C5});
    Forget();
    EXPECT_EQ(OpenKeepingTraffic(), c.open);
    std::vector<Req> expected = Seq({Control4Read(0x9FF8), Control4Read(0xD2B2), One(Control4Read(0xDFF8)[0]),
                                     RegRead(0x3C5)});
    EXPECT_TRUE(SameRequests(expected, openTraffic_));
    EXPECT_EQ(g_sfLibrary.chipClass[0], 0);
    EXPECT_EQ(g_sfLibrary.chunkSize, c.chunk);
    EXPECT_EQ(g_sfLibrary.slotOpen[0], 1) << "a failed 0x3C5 read leaves the slot open";
    EXPECT_NE(g_ksTransport.cameraFilter, nullptr);
    Camera().ClearFaults();
    EXPECT_TRUE(SFClose()) << "the close returns the transport close's result";
    EXPECT_FALSE(SFClose());
  }
}

// A transport close that fails, and that notes whether the slot was already closed when it ran.
struct FailingClose {
  static bool Close() {
    ++calls;
    slotOpenDuringClose = g_sfLibrary.slotOpen[0];
    KsClose();  // the camera is still let go
    return false;
  }
  static inline int calls = 0;
  static inline std::uint8_t slotOpenDuringClose = 0xFF;
};

TEST_F(DeviceSlotTest, CloseMarksTheSlotClosedBeforeTheTransportCloseThatFails) {
  ASSERT_EQ(Open(), SF_OPEN_OK);
  FailingClose::calls = 0;
  g_sfLibrary.backend.close = &FailingClose::Close;
  EXPECT_FALSE(SFClose()) << "the transport close's result";
  EXPECT_EQ(FailingClose::calls, 1);
  EXPECT_EQ(FailingClose::slotOpenDuringClose, 0) << "closed before the transport close ran";
  EXPECT_EQ(g_sfLibrary.slotOpen[0], 0);
  EXPECT_FALSE(SFClose());
  EXPECT_EQ(FailingClose::calls, 1) << "a closed slot calls no transport close";
  std::uint8_t value = 0;
  EXPECT_FALSE(SFReadReg(0x101F, &value));
  EXPECT_TRUE(Requests().empty());
}

TEST_F(DeviceSlotTest, ChipClassOutlivesCloseAndALaterFailedProbe) {
  ASSERT_EQ(Open(), SF_OPEN_OK);
  ASSERT_EQ(g_sfLibrary.chipClass[0], 23);
  EXPECT_TRUE(SFClose());
  EXPECT_EQ(g_sfLibrary.chipClass[0], 23);
  Camera().SetReg(0x3C5, 3);
  Camera().AddFault(Control4SetFails(0x9FF8));  // the first probe read fails
  EXPECT_EQ(OpenKeepingTraffic(), SF_OPEN_OK);
  EXPECT_TRUE(SameRequests(One(Control4Read(0x9FF8)[0]), openTraffic_)) << "no 0x3C5 read on a probed chip";
  EXPECT_EQ(g_sfLibrary.chipClass[0], 23);
  EXPECT_EQ(g_sfLibrary.chunkSize, 8u);
}

TEST_F(DeviceSlotTest, SecondOpenOpensAfreshAndHoldsOneCamera) {
  ASSERT_EQ(Open(), SF_OPEN_OK);
  std::size_t held = platform::LiveComObjects();
  g_sfLibrary.chunkSize = 1;
  EXPECT_EQ(OpenKeepingTraffic(), SF_OPEN_OK);
  EXPECT_TRUE(SameRequests(kProbeReads, openTraffic_));
  EXPECT_EQ(platform::LiveComObjects(), held);
  EXPECT_EQ(g_sfLibrary.chunkSize, 8u);
}

TEST_F(DeviceSlotTest, FailedTransportOpenKeepsAnEarlierOpenSlot) {
  ASSERT_EQ(Open(), SF_OPEN_OK);
  Camera().Unregister();
  EXPECT_EQ(SFOpen(), SF_OPEN_NO_DEVICE);
  EXPECT_EQ(g_sfLibrary.slotOpen[0], 1);
  Forget();
  std::uint8_t value = 0x77;
  EXPECT_FALSE(SFReadReg(0x101F, &value)) << "without a camera every request fails";
  EXPECT_EQ(value, 0x77);
  EXPECT_TRUE(Requests().empty());
}

TEST_F(DeviceSlotTest, CheckWithoutBufferSendsNothingOnAnOpenSlot) {
  ASSERT_EQ(Open(), SF_OPEN_OK);
  EXPECT_FALSE(SFCheck(nullptr));
  EXPECT_TRUE(Requests().empty());
  std::uint8_t buffer[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  EXPECT_TRUE(SFCheck(buffer));
  EXPECT_TRUE(SameRequests(kProbeReads, Requests()));
  EXPECT_EQ(buffer[0], 1);
}

TEST_F(DeviceSlotTest, OpenEntryPointsForwardToTheTransport) {
  ASSERT_EQ(Open(), SF_OPEN_OK);
  std::uint8_t value = 0;
  std::uint8_t bytes[2] = {};
  EXPECT_TRUE(SFWriteReg(0x1091, 0x01));
  EXPECT_TRUE(SFReadReg(0x3C5, &value));
  EXPECT_TRUE(SFMemAccess(SF_MEM_FLASH_READ, 0x3E00, bytes, 2));
  EXPECT_TRUE(SameRequests(Seq({One(RegWrite(0x1091, 0x01)), RegRead(0x3C5),
                                {FlashCommand(0x3E00, 0x82), FlashData()}}),
                           Requests()));
}

// Before any open and after a close, every entry point with a result fails and sends nothing to
// the camera that is there; the waits run their full count of failing polls.
TEST_F(DeviceSlotTest, ClosedSlotSendsNothing) {
  for (bool afterClose : {false, true}) {
    SCOPED_TRACE(afterClose ? "after a close" : "before any open");
    Camera();
    if (afterClose) {
      ASSERT_EQ(Open(), SF_OPEN_OK);
      ASSERT_TRUE(SFClose());
      Forget();
    }
    g_sfIdentification.manufacturer = 0xC2;
    std::uint8_t value = 0x5A;
    std::uint8_t buffer[8] = {9, 9, 9, 9, 9, 9, 9, 9};
    std::uint16_t gpio = 0x1234;
    std::uint8_t cfg = 0x21;
    std::uint16_t word = 0x4321;
    EXPECT_FALSE(SFClose());
    EXPECT_FALSE(SFWriteReg(0x1091, 0));
    EXPECT_FALSE(SFReadReg(0x101F, &value));
    EXPECT_FALSE(SFMemAccess(SF_MEM_FLASH_READ, 0, buffer, 8));
    EXPECT_FALSE(SFMemAccess(SF_MEM_FLASH_WRITE, 0, buffer, 8));
    EXPECT_FALSE(SFCheck(buffer));
    EXPECT_FALSE(SFSetWriteProtect(0, &gpio, &cfg));
    EXPECT_FALSE(SFSetWriteProtect(1, &gpio, &cfg));
    EXPECT_FALSE(SFReadStatusByte(0, &value));
    EXPECT_FALSE(SFReadStatusWord(0, &word));
    EXPECT_EQ(SFGetFlashType(0), -1);
    EXPECT_EQ(value, 0x5A);
    EXPECT_EQ(buffer[0], 9);
    EXPECT_EQ(gpio, 0x1234);
    EXPECT_EQ(cfg, 0x21);
    EXPECT_EQ(word, 0x4321);
    EXPECT_FALSE(SFReadFlashStatus(&value));
    EXPECT_EQ(value, 0x5A);
    EXPECT_EQ(g_sfIdentification.manufacturer, 0xC2) << "identification state unchanged";
    // Every read of a closed slot fails, so each wait gives up after three failed reads: the
    // done-flag wait after two pauses, the idle wait after three polls of two such waits each.
    platform::ResetSleepStats();
    SFWaitReady();
    EXPECT_EQ(platform::CurrentSleepStats().calls, 2u);
    platform::ResetSleepStats();
    SFWaitIdle();
    EXPECT_EQ(platform::CurrentSleepStats().calls, 3u * 4u + 2u);
    EXPECT_TRUE(Requests().empty());
  }
}

}  // namespace
}  // namespace sftest
