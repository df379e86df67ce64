// Memory access by type: the requests each access makes, the bytes it delivers and where, and
// the bank flags it leaves, with chunks of 8 and 1.
#include <gtest/gtest.h>

#include <vector>

#include "camera_fixture.h"
#include "serial_flash/ks_transport.h"
#include "serial_flash/req_to_driver.h"

namespace sftest {
namespace {

constexpr std::uint8_t kUntouched = 0xEE;

// A write request for `count` bytes of the source pattern starting at source offset `from`.
Req Write(std::uint16_t address, std::uint8_t command, unsigned from, unsigned count) {
  std::vector<std::uint8_t> data(9, 0xFF);
  for (unsigned i = 0; i < count && i < 8; ++i) data[i] = static_cast<std::uint8_t>(0x40 + from + i);
  data[8] = 0x00;
  return FlashCommand(address, command, data);
}

struct Span {
  std::uint32_t flashAddress;  // 17-bit address the bytes come from
  std::uint32_t length;
};

struct Case {
  const char* name;
  std::uint32_t chunk;
  std::uint32_t type;
  std::uint32_t address;
  std::uint32_t length;
  std::uint8_t readBank;        // read bank flag before
  std::uint8_t writeBank;       // write bank flag before
  unsigned failAt;               // 1-based request of the access that fails; 0: none
  bool result;
  std::vector<Req> requests;
  std::uint8_t readBankAfter;
  std::vector<Span> delivered;  // reads: where the buffer's first bytes come from, in order
};

class ReqToDriverTest : public CameraTest {
 protected:
  void SetUp() override {
    CameraTest::SetUp();
    config_.contents = simcam::FlashContents::Bytes;
    config_.flashBytes = PatternFlash();
  }
};

TEST_F(ReqToDriverTest, AccessesMakeExactlyTheirRequests) {
    const std::vector<Case> cases = {
      // Flash reads, chunk 8.
      {"read 10 at 0x3E00", 8, 7, 0x3E00, 10, 0, 0, 0, true,
       {FlashCommand(0x3E00, 0x88), FlashData(), FlashCommand(0x3E08, 0x82), FlashData()}, 0, {{0x3E00, 10}}},
      {"read 1 at 0xC034", 8, 7, 0xC034, 1, 0, 0, 0, true, {FlashCommand(0xC034, 0x81), FlashData()}, 0,
       {{0xC034, 1}}},
      {"read 5 at 0x3E00", 8, 7, 0x3E00, 5, 0, 0, 0, true, {FlashCommand(0x3E00, 0x85), FlashData()}, 0,
       {{0x3E00, 5}}},
      {"read 24 across the bank end", 8, 7, 0xFFF0, 24, 0, 0, 0, true,
       {FlashCommand(0xFFF0, 0x88), FlashData(), FlashData(), FlashCommand(0x0000, 0x98), FlashData()}, 1,
       {{0xFFF0, 16}, {0x10000, 8}}},
      {"read 20 across the bank end", 8, 7, 0xFFF0, 20, 0, 0, 0, true,
       {FlashCommand(0xFFF0, 0x88), FlashData(), FlashData(), FlashCommand(0x0000, 0x98), FlashData()}, 1,
       {{0xFFF0, 16}, {0x10000, 4}}},
      {"read after the switch stays high", 8, 7, 0x3E00, 8, 1, 0, 0, true,
       {FlashCommand(0x3E00, 0x98), FlashData()}, 1, {{0x13E00, 8}}},
      {"type compared on its low byte", 8, 0x107, 0x3E00, 2, 0, 0, 0, true,
       {FlashCommand(0x3E00, 0x82), FlashData()}, 0, {{0x3E00, 2}}},
      {"read of 0 bytes", 8, 7, 0x3E00, 0, 0, 0, 0, true, {FlashCommand(0x3E00, 0x80), FlashData()}, 0, {}},
      {"second data read fails", 8, 7, 0x3E00, 26, 0, 0, 3, false,
       {FlashCommand(0x3E00, 0x88), FlashData(), FlashData()}, 0, {{0x3E00, 8}}},
      {"remainder address fails", 8, 7, 0x3E00, 10, 0, 0, 3, false,
       {FlashCommand(0x3E00, 0x88), FlashData(), FlashCommand(0x3E08, 0x82)}, 0, {{0x3E00, 8}}},
      {"remainder data fails", 8, 7, 0x3E00, 10, 0, 0, 4, false,
       {FlashCommand(0x3E00, 0x88), FlashData(), FlashCommand(0x3E08, 0x82), FlashData()}, 0, {{0x3E00, 8}}},
      {"upper-bank address after the switch fails", 8, 7, 0xFFF0, 24, 0, 0, 4, false,
       {FlashCommand(0xFFF0, 0x88), FlashData(), FlashData(), FlashCommand(0x0000, 0x98)}, 1, {{0xFFF0, 16}}},
      {"read past the end of the flash stops there", 8, 7, 0xFFF8, 16, 1, 0, 0, false,
       {FlashCommand(0xFFF8, 0x98), FlashData()}, 1, {{0x1FFF8, 8}}},
      // Flash reads, chunk 1.
      {"chunk 1: read 10 at 0x3E00", 1, 7, 0x3E00, 10, 0, 0, 0, true,
       Seq({One(FlashCommand(0x3E00, 0x81)), std::vector<Req>(10, FlashData())}), 0, {{0x3E00, 10}}},
      {"chunk 1: one byte in the upper bank", 1, 7, 0x0200, 1, 1, 0, 0, true,
       {FlashCommand(0x0200, 0x98), FlashData()}, 1, {{0x10200, 1}}},
      {"chunk 1: reaching 0xFFF8 switches the bank", 1, 7, 0xFFF6, 3, 0, 0, 0, true,
       Seq({One(FlashCommand(0xFFF6, 0x81)), std::vector<Req>(3, FlashData())}), 1, {{0xFFF6, 3}}},
      // Refused flash reads: bytes would come from other addresses.
      {"chunk 1: several bytes in the upper bank", 1, 7, 0x0200, 2, 1, 0, 0, false, {}, 1, {}},
      {"chunk 1: past 0xFFF8 into the upper bank", 1, 7, 0xFFF8, 2, 0, 0, 0, false, {}, 0, {}},
      {"chunk 3: 0xFFF8 then a remainder", 3, 7, 0xFFF2, 10, 0, 0, 0, false, {}, 0, {}},
      {"chunk 8 unaligned across 0xFFFF", 8, 7, 0xFFF4, 16, 0, 0, 0, false, {}, 0, {}},
      {"remainder across 0xFFFF", 8, 7, 0xFFFE, 4, 0, 0, 0, false, {}, 0, {}},
      {"remainder up to 0xFFFF", 8, 7, 0xFFFC, 4, 0, 0, 0, true, {FlashCommand(0xFFFC, 0x84), FlashData()}, 0,
       {{0xFFFC, 4}}},
      // Flash writes.
      {"write 16 at 3", 8, 6, 3, 16, 0, 0, 0, true, {Write(3, 0x05, 0, 5), Write(8, 0x08, 5, 8), Write(16, 0x03, 13, 3)},
       0, {}},
      {"write 4 at 3", 8, 6, 3, 4, 0, 0, 0, true, {Write(3, 0x04, 0, 4)}, 0, {}},
      {"write 24 across the bank end", 8, 6, 0xFFF0, 24, 0, 0, 0, true,
       {Write(0xFFF0, 0x08, 0, 8), Write(0xFFF8, 0x08, 8, 8), Write(0x0000, 0x18, 16, 8)}, 0, {}},
      {"write clears the read bank", 8, 6, 0x0100, 8, 1, 0, 0, true, {Write(0x0100, 0x08, 0, 8)}, 0, {}},
      {"write of 0 bytes", 8, 6, 0x0100, 0, 0, 0, 0, true, {Write(0x0100, 0x00, 0, 0)}, 0, {}},
      {"write with a chunk of 3", 3, 6, 4, 7, 0, 0, 0, true,
       {Write(4, 0x02, 0, 2), Write(6, 0x03, 2, 3), Write(9, 0x02, 5, 2)}, 0, {}},
      {"chunk 1: upper-bank writes carry one byte and 0xFF", 1, 6, 0x0010, 2, 0, 1, 0, true,
       {Write(0x0010, 0x18, 0, 1), Write(0x0011, 0x18, 1, 1)}, 0, {}},
      {"failed middle write stops the access", 8, 6, 0, 24, 0, 0, 2, false,
       {Write(0, 0x08, 0, 8), Write(8, 0x08, 8, 8)}, 0, {}},
      // Control-4 reads.
      {"control 4 of 8 at 0x9FF8", 8, 9, 0x9FF8, 8, 0, 0, 0, true, Control4Read(0x9FF8), 0, {{0x9FF8, 8}}},
      {"control 4 of 10", 8, 9, 0x9FF8, 10, 0, 0, 0, true, Seq({Control4Read(0x9FF8), Control4Read(0xA000)}), 0,
       {{0x9FF8, 10}}},
      {"chunk 1: control 4 of 2", 1, 9, 0x4000, 2, 1, 0, 0, true, Seq({Control4Read(0x4000), Control4Read(0x4001)}),
       1, {{0x4000, 2}}},
      {"control 4 of 0 bytes", 8, 9, 0x4000, 0, 0, 0, 0, true, Control4Read(0x4000), 0, {}},
      {"control 4 failing first", 8, 9, 0x4000, 16, 0, 0, 2, false, Control4Read(0x4000), 0, {}},
      // Rejected types.
      {"type 5", 8, 5, 0, 8, 0, 0, 0, false, {}, 0, {}},
      {"type 8", 8, 8, 0, 8, 0, 0, 0, false, {}, 0, {}},
  };
  BindCamera();
  const std::vector<std::uint8_t> flash = Camera().Flash();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    g_ksTransport.readBankFlag = c.readBank;
    g_ksTransport.writeBankFlag = c.writeBank;
    Camera().ClearFaults();
    if (c.failAt != 0) Camera().AddFault({.kind = simcam::Fault::Kind::FailRequest, .nth = c.failAt});
    Forget();
    std::vector<std::uint8_t> buffer(c.length + 16, kUntouched);
    if (c.type == 6) {
      for (std::uint32_t i = 0; i < c.length; ++i) buffer[i] = static_cast<std::uint8_t>(0x40 + i);
    }
    EXPECT_EQ(ReqToDriver(0, c.type, c.address, buffer.data(), c.length, c.chunk), c.result);
    EXPECT_TRUE(SameRequests(c.requests, Requests()));
    EXPECT_EQ(g_ksTransport.readBankFlag, c.readBankAfter);
    if (c.type == 6) {
      EXPECT_EQ(Camera().Flash(), flash) << "the protected flash keeps its bytes";
      continue;
    }
    std::size_t at = 0;
    for (const Span& span : c.delivered) {
      for (std::uint32_t i = 0; i < span.length; ++i, ++at) {
        EXPECT_EQ(buffer[at], flash[span.flashAddress + i]) << "buffer byte " << at;
      }
    }
    for (; at < buffer.size(); ++at) EXPECT_EQ(buffer[at], kUntouched) << "buffer byte " << at;
  }
}

}  // namespace
}  // namespace sftest
