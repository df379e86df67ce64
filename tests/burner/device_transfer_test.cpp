// Eight-byte flash reads and writes over the dialog's binding, in both banks.
#include <numeric>

#include "burner/flash_transfer.h"
#include "tests/burner/camera_fixture.h"

namespace burner_test {
namespace {

using Kind = simcam::RequestRecord::Kind;

// Flash bytes that differ at every address, so a read from the wrong bank or offset shows.
std::vector<std::uint8_t> AddressPattern() {
  std::vector<std::uint8_t> bytes(0x20000);
  for (std::size_t a = 0; a < bytes.size(); ++a) bytes[a] = static_cast<std::uint8_t>((a >> 16) * 0x80 + a * 7 + (a >> 8));
  return bytes;
}

simcam::CameraConfig UnprotectedFlash(simcam::FlashContents contents) {
  simcam::CameraConfig config;
  config.contents = contents;
  config.startProtected = false;
  if (contents == simcam::FlashContents::Bytes) config.flashBytes = AddressPattern();
  return config;
}

struct TransferCase {
  const char* what;
  std::uint32_t offset;     // the 16 bits passed; bit 16 comes from the flag
  std::int32_t bankFlag;
  std::uint32_t reached;    // flash address the transfer must reach
  std::uint8_t readCommand;
  std::uint8_t writeCommand;
};

const TransferCase kTransferCases[] = {
    {"upper bank at 0x10000", 0x0000, 1, 0x10000, 0x98, 0x18},
    {"upper bank at 0x1FFF8", 0xFFF8, 1, 0x1FFF8, 0x98, 0x18},
    {"flag clear reaches the lower bank", 0xFFF8, 0, 0x0FFF8, 0x88, 0x08},
    {"lower bank at 0x0400", 0x0400, 0, 0x00400, 0x88, 0x08},
    {"any nonzero flag selects the upper bank", 0x1230, 7, 0x11230, 0x98, 0x18},
    {"a negative flag is nonzero too", 0x1230, -1, 0x11230, 0x98, 0x18},
};

class DeviceTransfer : public CameraTest {};

TEST_F(DeviceTransfer, ReadSendsAddressAndBankCommandThenTakesReplyBytesThreeToTen) {
  for (const TransferCase& c : kTransferCases) {
    SCOPED_TRACE(c.what);
    auto camera = AttachAndDiscover(UnprotectedFlash(simcam::FlashContents::Bytes));
    const std::vector<std::uint8_t> flash = camera->Flash();
    g_bankFlag = c.bankFlag;

    std::uint8_t dest[8];
    std::fill(std::begin(dest), std::end(dest), 0xFF);
    EXPECT_TRUE(ReadFlash8(*ctx, static_cast<std::uint8_t>(c.offset >> 8), static_cast<std::uint8_t>(c.offset), dest));
    EXPECT_EQ(std::vector<std::uint8_t>(dest, dest + 8),
              std::vector<std::uint8_t>(flash.begin() + c.reached, flash.begin() + c.reached + 8));

    const auto requests = camera->Requests();
    ASSERT_EQ(requests.size(), 2u) << testing::PrintToString(Describe(requests));
    const std::vector<std::uint8_t> expectedSet = {static_cast<std::uint8_t>(c.offset), static_cast<std::uint8_t>(c.offset >> 8),
                                                   c.readCommand, 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(requests[0].kind, Kind::Set);
    EXPECT_EQ(requests[0].control, 3u);
    EXPECT_EQ(requests[0].nodeId, 2u);
    EXPECT_EQ(requests[0].payload, expectedSet);
    EXPECT_EQ(requests[1].kind, Kind::Get);
    EXPECT_EQ(requests[1].control, 3u);
    EXPECT_EQ(requests[1].payload.size(), 11u);
    EXPECT_EQ(g_bankFlag, c.bankFlag) << "the transfer only reads the flag";
    ctx = std::make_unique<RecordingContext>();
    platform::ClearVideoInputDevices();
  }
}

TEST_F(DeviceTransfer, WriteSendsOneRequestThatProgramsTheAddressedBlock) {
  const std::uint8_t block[8] = {0x51, 0x52, 0x53, 0x54, 0x00, 0x7E, 0xA5, 0x5A};
  for (const TransferCase& c : kTransferCases) {
    SCOPED_TRACE(c.what);
    auto camera = AttachAndDiscover(UnprotectedFlash(simcam::FlashContents::Erased));
    g_bankFlag = c.bankFlag;

    EXPECT_TRUE(WriteFlash8(*ctx, block, static_cast<std::uint8_t>(c.offset >> 8), static_cast<std::uint8_t>(c.offset)));

    const auto requests = camera->Requests();
    ASSERT_EQ(requests.size(), 1u) << "a write reads nothing back";
    std::vector<std::uint8_t> expected = {static_cast<std::uint8_t>(c.offset), static_cast<std::uint8_t>(c.offset >> 8),
                                          c.writeCommand};
    expected.insert(expected.end(), std::begin(block), std::end(block));
    EXPECT_EQ(requests[0].kind, Kind::Set);
    EXPECT_EQ(requests[0].control, 3u);
    EXPECT_EQ(requests[0].payload, expected);
    const std::vector<std::uint8_t> flash = camera->Flash();
    EXPECT_EQ(std::vector<std::uint8_t>(flash.begin() + c.reached, flash.begin() + c.reached + 8),
              std::vector<std::uint8_t>(std::begin(block), std::end(block)));
    ctx = std::make_unique<RecordingContext>();
    platform::ClearVideoInputDevices();
  }
}

TEST_F(DeviceTransfer, FailedReadsKeepThePresetBytes) {
  struct Case {
    const char* what;
    Kind failing;
    std::size_t requestsSent;
  } cases[] = {
      {"refused SET sends no GET", Kind::Set, 1},
      {"failed GET after an accepted SET", Kind::Get, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    auto camera = AttachAndDiscover(UnprotectedFlash(simcam::FlashContents::Bytes));
    camera->AddFault({.kind = simcam::Fault::Kind::FailRequest, .match = {.control = 3, .kind = c.failing}});

    std::uint8_t dest[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    EXPECT_FALSE(ReadFlash8(*ctx, 0x04, 0x00, dest));
    EXPECT_EQ(std::vector<std::uint8_t>(dest, dest + 8), (std::vector<std::uint8_t>{1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_EQ(camera->Requests().size(), c.requestsSent);
    ctx = std::make_unique<RecordingContext>();
    platform::ClearVideoInputDevices();
  }
}

TEST_F(DeviceTransfer, RefusedWriteIsReportedAndNotRetried) {
  auto camera = AttachAndDiscover(UnprotectedFlash(simcam::FlashContents::Erased));
  camera->AddFault({.kind = simcam::Fault::Kind::FailRequest, .match = {.control = 3, .kind = Kind::Set}});
  const std::uint8_t block[8] = {0, 1, 2, 3, 4, 5, 6, 7};
  EXPECT_FALSE(WriteFlash8(*ctx, block, 0x00, 0x08));
  EXPECT_EQ(camera->Requests().size(), 1u);
  EXPECT_EQ(camera->Flash()[8], 0xFF);
}

TEST_F(DeviceTransfer, NoFilterSendsNothing) {
  auto camera = Attach(UnprotectedFlash(simcam::FlashContents::Erased));
  const std::uint64_t before = camera->RequestCount();
  std::uint8_t dest[8] = {9, 9, 9, 9, 9, 9, 9, 9};
  const std::uint8_t block[8] = {};
  EXPECT_FALSE(ReadFlash8(*ctx, 0, 0, dest));
  EXPECT_FALSE(WriteFlash8(*ctx, block, 0, 0));
  EXPECT_EQ(camera->RequestCount(), before);
  EXPECT_EQ(dest[0], 9);
}

}  // namespace
}  // namespace burner_test
