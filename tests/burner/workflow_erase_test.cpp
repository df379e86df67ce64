// The erase on the simulated camera: its display, the check of every block and its failures.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "burner/erase_workflow.h"
#include "tests/burner/workflow_fixture.h"

namespace burner_test {
namespace {

using simcam::Fault;

class EraseTest : public WorkflowTest {};

TEST_F(EraseTest, ErasesAndChecksEveryBlockLeavingProtectionLifted) {
  StartCamera(Config());
  ASSERT_TRUE(camera->WriteProtectAsserted());

  EXPECT_EQ(EraseFlash(ctx), 1);

  EXPECT_EQ(EffectsWithoutWorkPositions(),
            (std::vector<Effect>{ItemText(IDC_STATUS, L"Erasing..."), Range(IDC_PROGRESS_WORK, 6552)}));
  const std::vector<int> positions = WorkPositions();
  ASSERT_EQ(positions.size(), 1u + 16383u);
  EXPECT_EQ(positions[0], 1);
  EXPECT_EQ(positions[1 + 0xFFE8 / 8], 0xFFE8 / 10);
  EXPECT_EQ(positions[1 + 0xFFF0 / 8], 6552);  // full from 0xFFF0 on
  EXPECT_EQ(positions.back(), 6552);

  EXPECT_EQ(camera->Flash(), std::vector<std::uint8_t>(0x20000, 0xFF));
  EXPECT_EQ(Count(IsFlashRead), 16383u);
  EXPECT_EQ(Count(IsFlashWrite), 0u);
  EXPECT_FALSE(camera->WriteProtectAsserted());
  EXPECT_TRUE(ctx.Messages().empty());
  EXPECT_EQ(g_bankFlag, 0);
}

struct EraseFailure {
  const char* name;
  std::function<void(WorkflowTest&)> arrange;
  std::vector<std::wstring> messages;
};

void PrintTo(const EraseFailure& c, std::ostream* os) { *os << c.name; }

class EraseFailureTest : public WorkflowTest, public ::testing::WithParamInterface<EraseFailure> {};

TEST_P(EraseFailureTest, ReportsAndReturnsZero) {
  const EraseFailure& c = GetParam();
  simcam::CameraConfig config = Config();
  // Old contents of zero bytes (the configuration byte kept), so that what the erase misses shows.
  std::vector<std::uint8_t> bytes(0x20000, 0x00);
  const std::uint32_t cfg = simcam::WriteProtectConfigAddress(config.chipId);
  bytes[cfg] = simcam::WriteProtectConfigByteFor(config.wpPin, config.wpActiveLow);
  config.contents = simcam::FlashContents::Bytes;
  config.flashBytes = bytes;
  StartCamera(config);
  c.arrange(*this);

  EXPECT_EQ(EraseFlash(ctx), 0);
  EXPECT_EQ(ctx.Messages(), c.messages);
  EXPECT_EQ(g_bankFlag, 0);
}

Fault LeftUnerased(std::uint32_t address, std::uint32_t length) {
  Fault fault;
  fault.kind = Fault::Kind::ErasePartial;
  fault.address = address;
  fault.length = length;
  return fault;
}

INSTANTIATE_TEST_SUITE_P(
    Rows, EraseFailureTest,
    ::testing::Values(
        EraseFailure{"DisableFails",
                     [](WorkflowTest& t) {
                       Fault fault;
                       fault.kind = Fault::Kind::RegisterReadFails;
                       fault.reg = 0x101F;
                       t.camera->AddFault(fault);
                     },
                     {L"GetChipIDValue Failed!", L"Disable Flash Write Protect Failed!"}},
        EraseFailure{"EraseDoesNothing",
                     [](WorkflowTest& t) {
                       Fault fault;
                       fault.kind = Fault::Kind::EraseIgnored;
                       t.camera->AddFault(fault);
                     },
                     {L"Check Flash Erase Failed!"}},
        // Between the 32-byte samples of a sparser check, and in the last block checked.
        EraseFailure{"OneBlockLeftInTheUpperHalf", [](WorkflowTest& t) { t.camera->AddFault(LeftUnerased(0x1FFE8, 16)); },
                     {L"Check Flash Erase Failed!"}},
        // Byte 0 reads 0xFF: every byte of the block counts, not only bytes 0 and 5.
        EraseFailure{"OneByteLeft", [](WorkflowTest& t) { t.camera->AddFault(LeftUnerased(0x4007, 1)); },
                     {L"Check Flash Erase Failed!"}},
        EraseFailure{"CameraGoneDuringTheCheck",
                     [](WorkflowTest& t) {
                       Fault gone;
                       gone.kind = Fault::Kind::Disconnect;
                       t.FaultAfter({Pos(IDC_PROGRESS_WORK, 0x8000 / 10)}, gone);
                     },
                     {L"Check Flash Erase Failed!"}}),
    [](const ::testing::TestParamInfo<EraseFailure>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace burner_test
