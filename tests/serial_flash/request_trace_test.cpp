// Whole request traces on the camera model, byte for byte: each request's payload as sent or as
// answered, its node and its result, for the open's probe, register access and a flash read that
// crosses into the upper bank.
#include <gtest/gtest.h>

#include <numeric>

#include "camera_fixture.h"
#include "serial_flash/ks_transport.h"
#include "serial_flash/serial_flash.h"

namespace sftest {
namespace {

using Lines = std::vector<std::string>;

class RequestTraceTest : public CameraTest {
 protected:
  void SetUp() override {
    CameraTest::SetUp();
    config_.contents = simcam::FlashContents::Erased;
    const std::uint8_t atFirstProbe[8] = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08};
    Camera().SetFlash(atFirstProbe, 0x9FF8);
  }
  Lines Trace() const { return TraceLines(camera_->Requests()); }
};

TEST_F(RequestTraceTest, OpenFindsTheUnitAndProbesTheChip) {
  ASSERT_EQ(SFOpen(), SF_OPEN_OK);
  EXPECT_EQ(Trace(), (Lines{
                         "PROBE c0 @2 [] ok",
                         "SET c4 @2 [F8 9F 08 00 00 00 00 00 00 00 00 00] ok",
                         "GET c4 @2 [F8 9F 08 01 02 03 04 05 06 07 08 00] ok",
                         "SET c4 @2 [B2 D2 08 00 00 00 00 00 00 00 00 00] ok",
                         "GET c4 @2 [B2 D2 08 FF FF FF FF FF FF FF FF 00] ok",
                         "SET c4 @2 [F8 DF 08 00 00 00 00 00 00 00 00 00] ok",
                         "GET c4 @2 [F8 DF 08 FF FF FF FF FF FF FF FF 00] ok",
                         "SET c4 @2 [F8 BF 08 00 00 00 00 00 00 00 00 00] ok",
                         "GET c4 @2 [F8 BF 08 FF FF FF FF FF FF FF FF 00] ok",
                         "SET c4 @2 [F8 C7 08 00 00 00 00 00 00 00 00 00] ok",
                         "GET c4 @2 [F8 C7 08 FF FF FF FF FF FF FF FF 00] ok",
                     }));
}

TEST_F(RequestTraceTest, RegisterWriteAndReads) {
  ASSERT_EQ(Open(), SF_OPEN_OK);
  std::uint8_t level = 0;
  std::uint8_t chip = 0;
  EXPECT_TRUE(SFWriteReg(0x1006, 0x5A));
  EXPECT_TRUE(SFReadReg(0x1006, &level));
  EXPECT_TRUE(SFReadReg(0x101F, &chip));
  EXPECT_EQ(level, 0x5A);
  EXPECT_EQ(chip, 0x32);
  EXPECT_EQ(Trace(), (Lines{
                         "SET c1 @2 [06 10 5A 00] ok",
                         "SET c1 @2 [06 10 00 FF] ok",
                         "GET c1 @2 [06 10 5A FF] ok",
                         "SET c1 @2 [1F 10 00 FF] ok",
                         "GET c1 @2 [1F 10 32 FF] ok",
                     }));
}

TEST_F(RequestTraceTest, FlashReadAcrossTheBankEnd) {
  std::vector<std::uint8_t> stored(24);
  std::iota(stored.begin(), stored.end(), std::uint8_t{0x10});
  Camera().SetFlash(stored, 0xFFF0);  // 0xFFF0 to 0x10007
  ASSERT_EQ(Open(), SF_OPEN_OK);
  std::vector<std::uint8_t> read(24, 0xEE);
  ASSERT_TRUE(SFMemAccess(SF_MEM_FLASH_READ, 0xFFF0, read.data(), 24));
  EXPECT_EQ(read, stored);
  EXPECT_EQ(g_ksTransport.readBankFlag, 1) << "the read ended in the upper bank";
  EXPECT_EQ(Trace(), (Lines{
                         "SET c3 @2 [F0 FF 88 00 00 00 00 00 00 00 00 00] ok",
                         "GET c3 @2 [F0 FF 88 10 11 12 13 14 15 16 17 00] ok",
                         "GET c3 @2 [F8 FF 88 18 19 1A 1B 1C 1D 1E 1F 00] ok",
                         "SET c3 @2 [00 00 98 00 00 00 00 00 00 00 00 00] ok",
                         "GET c3 @2 [00 00 98 20 21 22 23 24 25 26 27 00] ok",
                     }));
  // The controller read the flash itself: three reads of eight bytes, the last one above 64 KB.
  std::vector<std::vector<std::uint8_t>> firmwareReads;
  for (const simcam::SpiFrame& f : camera_->SpiFrames()) {
    if (f.fromFirmware) firmwareReads.push_back({f.opcode, f.in.at(0), f.in.at(1), f.in.at(2)});
  }
  EXPECT_EQ(firmwareReads, (std::vector<std::vector<std::uint8_t>>{
                               {0x03, 0x00, 0xFF, 0xF0}, {0x03, 0x00, 0xFF, 0xF8}, {0x03, 0x01, 0x00, 0x00}}));
}

}  // namespace
}  // namespace sftest
