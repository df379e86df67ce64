// The erase on the simulated camera: its display, the check of every block and its failures.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "burner/burn_workflow.h"
#include "burner/erase_workflow.h"
#include "tests/burner/stage_faults.h"
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

// The chip keeps its status register through a restart, as a real one does through power-off:
// after an erase it stays unprotected, so a burn after a restart of the camera goes through,
// though the erased configuration byte no longer names the write-protect pin.
TEST_F(EraseTest, ErasedChipTakesABurnAfterTheCameraRestarts) {
  std::string pattern = (std::filesystem::temp_directory_path() / "flarnex-restart-XXXXXX").string();
  ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
  const std::filesystem::path dir = pattern;
  simcam::CameraConfig config = Config();
  config.flashFile = (dir / "cam.bin").string();

  StartCamera(config);
  ASSERT_NE(camera->StatusRegister() & 0x8C, 0) << "the sample firmware's chip starts protected";
  ASSERT_EQ(EraseFlash(ctx), 1);
  TearDown();
  SetUp();
  StartCamera(config);
  EXPECT_EQ(camera->StatusRegister() & 0x8C, 0);

  simcam::FirmwareStrings strings;
  strings.first = "AFTER00001";
  std::vector<std::uint8_t> image =
      simcam::MakeSampleFirmware(config.chipId, simcam::WriteProtectConfigByteFor(config.wpPin, config.wpActiveLow), strings);
  Load(image);
  EXPECT_EQ(BurnRom(ctx), 1);
  EXPECT_TRUE(ctx.Messages().empty());
  std::fill(image.end() - 8, image.end(), 0xFF);
  EXPECT_EQ(camera->Flash(), image);
  std::filesystem::remove_all(dir);
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

// The erase against a camera that stops answering, a flash that stays busy and a refused request,
// each from the first request of one stage on. The flash starts with zero bytes (the
// configuration byte kept), so that what an erase misses shows; an erase that reports success
// left every byte 0xFF.
std::vector<Stage> EraseStages() {
  std::vector<Stage> stages = DisableAndEraseStages();
  stages.insert(stages.end(), {
      {"status read", Writes(0x1080, 0x01)},  // host access on again after the erase
      {"erase check", &WorkflowTest::IsFlashRead},
  });
  return stages;
}

simcam::CameraConfig ZeroFlashConfig() {
  simcam::CameraConfig config;
  std::vector<std::uint8_t> bytes(0x20000, 0x00);
  const std::uint32_t cfg = simcam::WriteProtectConfigAddress(config.chipId);
  bytes[cfg] = simcam::WriteProtectConfigByteFor(config.wpPin, config.wpActiveLow);
  config.contents = simcam::FlashContents::Bytes;
  config.flashBytes = bytes;
  return config;
}

class EraseFaultTableTest : public StageFaultTest<WorkflowTest> {
 protected:
  std::span<const Stage> Stages() const override {
    static const std::vector<Stage> stages = EraseStages();
    return stages;
  }
  void Arrange() override { StartCamera(ZeroFlashConfig()); }
  int Run() override { return EraseFlash(ctx); }
  void CheckLeft(int result) override {
    if (result == 1) {
      EXPECT_EQ(camera->Flash(), std::vector<std::uint8_t>(0x20000, 0xFF));
    }
  }
};

TEST_P(EraseFaultTableTest, EndsInTimeWithItsMessagesAndNeverFalselySucceeds) { RunRow(); }

const std::wstring kEraseCheckFailed = L"Check Flash Erase Failed!";

INSTANTIATE_TEST_SUITE_P(
    Rows, EraseFaultTableTest,
    ::testing::Values(
        StageFault{"GoneAtDisable", "disable", StopsAnswering(),
                   {L"Camera init failed!", L"Disable Flash Write Protect Failed!"}, 0},
        StageFault{"GoneAtDetection", "detection", StopsAnswering(),
                   {L"Write SFType Data To Mask Rom Failed!", kEraseCheckFailed}, 0},
        StageFault{"GoneAtErase", "erase", StopsAnswering(), {kEraseCheckFailed}, 0},
        StageFault{"GoneAtEraseWait", "erase wait", StopsAnswering(), {kEraseCheckFailed}, 0},
        StageFault{"GoneAtStatusRead", "status read", StopsAnswering(), {kEraseCheckFailed}, 0},
        StageFault{"GoneAtEraseCheck", "erase check", StopsAnswering(), {kEraseCheckFailed}, 0},
        StageFault{"BusyFromDisable", "disable", StaysBusy(), {kEraseCheckFailed}, 0},
        // The chip takes no erase while busy and reads 0xFF everywhere: only the status tells.
        StageFault{"BusyFromErase", "erase", StaysBusy(), {kEraseCheckFailed}, 0},
        StageFault{"BusyFromEraseWait", "erase wait", StaysBusy(), {kEraseCheckFailed}, 0},
        StageFault{"OneStatusReadRefusedInEraseWait", "erase wait", RefusesOnce(StatusByteRead()), {}, 1},
        // Not seen idle is not idle.
        StageFault{"StatusReadAfterTheEraseRefused", "status read", RefusesOnce(StatusByteRead()),
                   {kEraseCheckFailed}, 0},
        StageFault{"OneCheckReadRefused", "erase check", RefusesOnce({}), {kEraseCheckFailed}, 0}),
    StageFaultName);

}  // namespace
}  // namespace burner_test
