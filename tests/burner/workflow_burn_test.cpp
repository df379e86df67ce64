// The burn on the simulated camera: image checks, the stages it shows, what reaches the flash and
// each way it fails.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "burner/burn_workflow.h"
#include "tests/burner/stage_faults.h"
#include "tests/burner/workflow_fixture.h"

namespace burner_test {
namespace {

using simcam::Fault;

// The camera's own firmware, with other strings and other code, so that a burn has to change
// the flash; the block at 0x10000 is erased and the last eight bytes are not.
std::vector<std::uint8_t> NewImage(const simcam::CameraConfig& config) {
  simcam::FirmwareStrings strings;
  strings.first = "NEW0000002";
  std::vector<std::uint8_t> image = simcam::MakeSampleFirmware(
      config.chipId, simcam::WriteProtectConfigByteFor(config.wpPin, config.wpActiveLow), strings);
  std::reverse(image.begin() + 0x2000, image.begin() + 0x3000);
  std::fill(image.begin() + 0x10000, image.begin() + 0x10008, 0xFF);
  std::fill(image.begin() + 0x10008, image.begin() + 0x10010, 0x5A);
  std::fill(image.end() - 8, image.end(), 0x00);
  return image;
}

class BurnTest : public WorkflowTest {};

TEST_F(BurnTest, ImageThatIsNotLoadedOrNotSignedChangesNothing) {
  struct Case {
    const char* name;
    std::function<void(std::vector<std::uint8_t>&)> change;
    const wchar_t* message;
  };
  const Case cases[] = {
      {"buffer all 0xFF", [](auto& image) { std::fill(image.begin(), image.end(), 0xFF); }, L"No Source File!"},
      {"first two bytes 0xFF", [](auto& image) { image[0] = image[1] = 0xFF; }, L"No Source File!"},
      {"byte 0 differs", [](auto& image) { image[0] = 'q'; }, L"It isn't Tamel Rom File!"},
      {"byte 1 differs", [](auto& image) { image[1] = 0xFF; }, L"It isn't Tamel Rom File!"},
      {"byte 2 differs", [](auto& image) { image[2] = '8'; }, L"It isn't Tamel Rom File!"},
      {"byte 3 differs", [](auto& image) { image[3] = 0x00; }, L"It isn't Tamel Rom File!"},
  };
  StartCamera(Config());
  const std::vector<std::uint8_t> flashBefore = camera->Flash();
  const std::uint64_t requestsBefore = camera->RequestCount();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::uint8_t> image = NewImage(Config());
    c.change(image);
    Load(image);
    ctx.effects.clear();
    EXPECT_EQ(BurnRom(ctx), 0);
    EXPECT_EQ(ctx.effects, std::vector<Effect>{Message(c.message)});
  }
  EXPECT_EQ(camera->RequestCount(), requestsBefore);
  EXPECT_EQ(camera->Flash(), flashBefore);

  g_imageBuffer = nullptr;  // no buffer at all is no image either
  ctx.effects.clear();
  EXPECT_EQ(BurnRom(ctx), 0);
  EXPECT_EQ(ctx.effects, std::vector<Effect>{Message(L"No Source File!")});
}

TEST_F(BurnTest, FullBurnShowsEachStageAndLeavesTheImageInTheFlash) {
  StartCamera(Config());
  std::vector<std::uint8_t> image = NewImage(Config());
  Load(image);

  EXPECT_EQ(BurnRom(ctx), 1);

  EXPECT_EQ(EffectsWithoutWorkPositions(),
            (std::vector<Effect>{
                ItemText(IDC_STATUS, L"Burning..."), Shown(IDC_PROGRESS_STAGE), Range(IDC_PROGRESS_STAGE, 9),
                Pos(IDC_PROGRESS_STAGE, 0), Shown(IDC_STAGE_ERASE), Range(IDC_PROGRESS_WORK, 2),
                Pos(IDC_PROGRESS_STAGE, 0), Pos(IDC_PROGRESS_STAGE, 1), Range(IDC_PROGRESS_WORK, 13004),
                Pos(IDC_PROGRESS_STAGE, 3), Shown(IDC_STAGE_ERASE_OK), Shown(IDC_STAGE_BURN),
                Pos(IDC_PROGRESS_STAGE, 6), Shown(IDC_STAGE_BURN_OK), Shown(IDC_STAGE_VERIFY),
                Pos(IDC_PROGRESS_STAGE, 8), Pos(IDC_PROGRESS_STAGE, 9), Shown(IDC_STAGE_VERIFY_OK)}));

  // Bar 1003: 2 after the disable; 127 erase samples (offset / 10); 16383 programming steps
  // (offset / 5 within each half, held at 13004); 16383 verify steps (offset / 10 + 100, held).
  const std::vector<int> positions = WorkPositions();
  ASSERT_EQ(positions.size(), 1u + 127u + 16383u + 16383u);
  EXPECT_EQ(positions[0], 2);
  EXPECT_EQ(positions[1], 0);
  EXPECT_EQ(positions[127], 0x1F800 / 10);
  EXPECT_EQ(positions[128], 0);                           // programming at 0
  EXPECT_EQ(positions[128 + 0xFE00 / 8], 13004);           // full from 0xFE00 of the lower half
  EXPECT_EQ(positions[128 + 0x10000 / 8], 0);              // the upper half starts again
  EXPECT_EQ(positions[128 + 16383 - 1], 13004);
  EXPECT_EQ(positions[128 + 16383], 100);                  // verify at 0
  EXPECT_EQ(positions.back(), 13004);
  EXPECT_LE(*std::max_element(positions.begin(), positions.end()), 13004);

  std::vector<std::uint8_t> expected = image;
  std::fill(expected.end() - 8, expected.end(), 0xFF);  // the last eight bytes are never programmed
  EXPECT_EQ(camera->Flash(), expected);
  EXPECT_EQ(g_bankFlag, 0);

  // One write per block that is not erased; a read of every block for the verify.
  std::size_t programmed = 0;
  for (std::uint32_t offset = 0; offset <= 0x1FFF0; offset += 8) {
    if (!std::all_of(image.begin() + offset, image.begin() + offset + 8, [](std::uint8_t b) { return b == 0xFF; }))
      ++programmed;
  }
  EXPECT_EQ(Count(IsFlashWrite), programmed);
  EXPECT_EQ(Count(IsFlashRead), 127u + 16383u);
}

TEST_F(BurnTest, ImageWithEightFFBytesAtTheBankStartStillProgramsTheUpperHalf) {
  StartCamera(Config());
  std::vector<std::uint8_t> image = NewImage(Config());
  Load(image);
  ASSERT_EQ(BurnRom(ctx), 1);
  const std::vector<simcam::RequestRecord> trace = camera->Requests();
  const auto write = std::find_if(trace.begin(), trace.end(), [](const simcam::RequestRecord& r) {
    return IsFlashWrite(r) && TransferOffset(r) == 0x10008;
  });
  ASSERT_NE(write, trace.end());
  EXPECT_EQ(write->payload[2], 0x18);
  EXPECT_EQ(std::count_if(trace.begin(), trace.end(), [](const simcam::RequestRecord& r) {
              return IsFlashWrite(r) && r.payload[0] == 0xF8 && r.payload[1] == 0xFF && r.payload[2] == 0x18;
            }), 0) << "the block at 0x1FFF8 is never programmed";
  EXPECT_EQ(camera->Flash()[0x10008], 0x5A);
}

struct FailureCase {
  const char* name;
  std::function<void(simcam::CameraConfig&)> configure;
  std::function<void(WorkflowTest&, std::vector<std::uint8_t>&)> arrange;
  std::vector<std::wstring> messages;
  int result;
};

void PrintTo(const FailureCase& c, std::ostream* os) { *os << c.name; }

class BurnFailureTest : public WorkflowTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(BurnFailureTest, ReportsAndReturns) {
  const FailureCase& c = GetParam();
  simcam::CameraConfig config = Config();
  if (c.configure) c.configure(config);
  StartCamera(config);
  std::vector<std::uint8_t> image = NewImage(config);
  if (c.arrange) c.arrange(*this, image);
  Load(image);

  EXPECT_EQ(BurnRom(ctx), c.result);
  EXPECT_EQ(ctx.Messages(), c.messages);
  EXPECT_EQ(g_bankFlag, 0);
  const bool finished = c.result == 1;
  EXPECT_EQ(std::count(ctx.effects.begin(), ctx.effects.end(), Shown(IDC_STAGE_VERIFY_OK)), finished ? 1 : 0);
}

Fault RegisterReadFault(std::uint16_t reg) {
  Fault fault;
  fault.kind = Fault::Kind::RegisterReadFails;
  fault.reg = reg;
  return fault;
}

Fault RangeFault(Fault::Kind kind, std::uint32_t address, std::uint32_t length) {
  Fault fault;
  fault.kind = kind;
  fault.address = address;
  fault.length = length;
  return fault;
}

Fault FailWriteAt(std::uint16_t address) {
  Fault fault;
  fault.kind = Fault::Kind::FailRequest;
  fault.match.control = 3;
  fault.match.kind = simcam::RequestRecord::Kind::Set;
  fault.match.address = address;
  return fault;
}

// The image holds 0x00 at `address` and programming leaves bit 0 set there: the verify finds a
// difference in the block of that address and nowhere else.
std::function<void(WorkflowTest&, std::vector<std::uint8_t>&)> ProgrammingErrorAt(std::uint32_t address) {
  return [address](WorkflowTest& t, std::vector<std::uint8_t>& image) {
    image[address] = 0x00;
    t.camera->AddFault(RangeFault(Fault::Kind::ProgramBitError, address, 1));
  };
}

// An erase that leaves the block at 0x10400 as it was, holding `block`, which the image holds
// there too: only the erase check can object to it.
std::function<void(WorkflowTest&, std::vector<std::uint8_t>&)> LeftoverBlock(std::vector<std::uint8_t> block) {
  return [block](WorkflowTest& t, std::vector<std::uint8_t>& image) {
    constexpr std::uint32_t kAt = 0x10400;
    t.camera->SetFlash(block, kAt);
    t.camera->AddFault(RangeFault(Fault::Kind::ErasePartial, kAt, 8));
    std::copy(block.begin(), block.end(), image.begin() + kAt);
  };
}

// Old flash contents of all zero bytes, so that whatever an erase leaves behind shows.
void ZeroFlashKeepingConfig(simcam::CameraConfig& config) {
  std::vector<std::uint8_t> bytes = simcam::MakeSampleFirmware(
      config.chipId, simcam::WriteProtectConfigByteFor(config.wpPin, config.wpActiveLow));
  const std::uint32_t cfg = simcam::WriteProtectConfigAddress(config.chipId);
  const std::uint8_t cfgByte = bytes[cfg];
  std::fill(bytes.begin(), bytes.end(), 0x00);
  bytes[cfg] = cfgByte;
  config.contents = simcam::FlashContents::Bytes;
  config.flashBytes = bytes;
}

INSTANTIATE_TEST_SUITE_P(
    Rows, BurnFailureTest,
    ::testing::Values(
        FailureCase{"DisableFails", nullptr,
                    [](WorkflowTest& t, auto&) { t.camera->AddFault(RegisterReadFault(0x101F)); },
                    {L"GetChipIDValue Failed!", L"Disable Flash Write Protect Failed!"}, 0},
        FailureCase{"EraseDoesNothing", ZeroFlashKeepingConfig,
                    [](WorkflowTest& t, auto&) { t.camera->AddFault(RangeFault(Fault::Kind::EraseIgnored, 0, 0)); },
                    {L"Check Flash Erase Failed!"}, 0},
        // A partial erase outside every erase-check sample, in a block the image leaves erased:
        // nothing programs it, only the full verify sees it.
        FailureCase{"PartialEraseOutsideTheSamples", ZeroFlashKeepingConfig,
                    [](WorkflowTest& t, auto& image) {
                      std::fill(image.begin() + 0x0808, image.begin() + 0x0810, 0xFF);
                      t.camera->AddFault(RangeFault(Fault::Kind::ErasePartial, 0x0808, 8));
                    },
                    {L"Check Data Failed!"}, 0},
        FailureCase{"ProgrammingErrorOutsideTheSamples", nullptr,
                    [](WorkflowTest& t, auto& image) {
                      image[0x4321] = 0x00;
                      t.camera->AddFault(RangeFault(Fault::Kind::ProgramBitError, 0x4321, 1));
                    },
                    {L"Check Data Failed!"}, 0},
        FailureCase{"ProgrammingErrorInTheUpperHalf", nullptr,
                    [](WorkflowTest& t, auto& image) {
                      image[0x1FFEF] = 0x00;
                      t.camera->AddFault(RangeFault(Fault::Kind::ProgramBitError, 0x1FFEF, 1));
                    },
                    {L"Check Data Failed!"}, 0},
        FailureCase{"FirstBlockDiffers",
                    nullptr,
                    [](WorkflowTest& t, auto& image) {
                      image[6] = 0x00;
                      t.camera->AddFault(RangeFault(Fault::Kind::ProgramBitError, 6, 1));
                    },
                    {L"The Flash size is less than 128K, please confirm!"}, 0},
        // Only a difference in the block at 0 (above) speaks of a small flash, not one elsewhere
        // in the first kilobyte nor one at the start of the upper half.
        FailureCase{"SecondBlockDiffers", nullptr, ProgrammingErrorAt(0x8), {L"Check Data Failed!"}, 0},
        FailureCase{"LastBlockOfTheFirstKilobyteDiffers", nullptr, ProgrammingErrorAt(0x3F8),
                    {L"Check Data Failed!"}, 0},
        FailureCase{"UpperHalfFirstBlockDiffers", nullptr, ProgrammingErrorAt(0x10000), {L"Check Data Failed!"}, 0},
        // The quick erase check fails a sample only when bytes 0 and 5 are both programmed.
        FailureCase{"EraseLeftByteZeroProgrammed", nullptr,
                    LeftoverBlock({0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00}), {}, 1},
        FailureCase{"EraseLeftByteFiveProgrammed", nullptr,
                    LeftoverBlock({0xFF, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF}), {}, 1},
        FailureCase{"EraseLeftBytesZeroAndFiveProgrammed", nullptr,
                    LeftoverBlock({0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0xFF, 0xFF}), {L"Check Flash Erase Failed!"}, 0},
        FailureCase{"SixtyFourKilobyteChip",
                    [](simcam::CameraConfig& config) {
                      config.flash.size = 0x10000;
                      config.contents = simcam::FlashContents::Sample;
                    },
                    // The upper half lands on the lower one and changes its first block.
                    [](WorkflowTest&, auto& image) { std::fill(image.begin() + 0x10000, image.begin() + 0x10008, 0x00); },
                    {L"The Flash size is less than 128K, please confirm!"}, 0},
        FailureCase{"EnableFails", nullptr,
                    [](WorkflowTest& t, auto&) { t.FaultAfter({Pos(IDC_PROGRESS_STAGE, 8)}, RegisterReadFault(0x101F)); },
                    {L"GetChipIDValue Failed!", L"Enable Flash Write Protect Failed!"}, 1}),
    [](const ::testing::TestParamInfo<FailureCase>& info) { return std::string(info.param.name); });

TEST_F(BurnTest, RefusedWriteEndsProgrammingAtOnce) {
  StartCamera(Config());
  std::vector<std::uint8_t> image = NewImage(Config());
  std::fill(image.begin() + 0x8008, image.begin() + 0x8010, 0x11);
  Load(image);
  camera->AddFault(FailWriteAt(0x8008));

  EXPECT_EQ(BurnRom(ctx), 0);
  EXPECT_EQ(ctx.Messages(), std::vector<std::wstring>{L"Check Data Failed!"});
  EXPECT_EQ(g_bankFlag, 0);
  const std::vector<simcam::RequestRecord> trace = camera->Requests();
  ASSERT_FALSE(trace.empty());
  EXPECT_TRUE(IsFlashWrite(trace.back()));
  EXPECT_EQ(TransferOffset(trace.back()), 0x8008u) << "nothing is sent after the refused write";
  EXPECT_EQ(std::count(ctx.effects.begin(), ctx.effects.end(), Shown(IDC_STAGE_BURN_OK)), 0);
  EXPECT_FALSE(camera->WriteProtectAsserted()) << "the protection is restored only after a verified burn";
}

TEST_F(BurnTest, CameraGoneDuringVerifyFailsEvenWhereTheImageIsErased) {
  StartCamera(Config());
  std::vector<std::uint8_t> image = NewImage(Config());
  std::fill(image.begin() + 0x18000, image.end(), 0xFF);  // the tail is all erased
  Load(image);
  Fault gone;
  gone.kind = Fault::Kind::Disconnect;
  gone.afterRequests = 0;
  // Verify of offset 0x18000 shows 0x18000 / 10 + 100.
  FaultAfter({Shown(IDC_STAGE_VERIFY), Pos(IDC_PROGRESS_WORK, 0x18000 / 10 + 100)}, gone);

  EXPECT_EQ(BurnRom(ctx), 0);
  EXPECT_EQ(ctx.Messages(), std::vector<std::wstring>{L"Check Data Failed!"});
  EXPECT_EQ(g_bankFlag, 0);
}

// The burn against a camera that stops answering, a flash that stays busy and a refused request,
// each from the first request of one stage on. Every burn ends well within the clock bound with
// its failure messages, and a burn that reports success left the image in the flash.
std::vector<Stage> BurnStages() {
  std::vector<Stage> stages = DisableAndEraseStages();
  stages.insert(stages.end(), {
      {"erase check", &WorkflowTest::IsFlashRead},
      {"programming", &WorkflowTest::IsFlashWrite},
      {"verify", &WorkflowTest::IsFlashRead},
      {"enable", [](const simcam::RequestRecord& r) { return r.control != 3; }},
  });
  return stages;
}

class BurnFaultTableTest : public StageFaultTest<WorkflowTest> {
 protected:
  std::span<const Stage> Stages() const override {
    static const std::vector<Stage> stages = BurnStages();
    return stages;
  }
  void Arrange() override {
    StartCamera(Config());
    image_ = NewImage(Config());
    Load(image_);
  }
  int Run() override { return BurnRom(ctx); }
  void CheckLeft(int result) override {
    if (result != 1) return;
    std::vector<std::uint8_t> expected = image_;
    std::fill(expected.end() - 8, expected.end(), 0xFF);  // never programmed
    EXPECT_EQ(camera->Flash(), expected);
  }

 private:
  std::vector<std::uint8_t> image_;
};

TEST_P(BurnFaultTableTest, EndsInTimeWithItsMessagesAndNeverFalselySucceeds) { RunRow(); }

const std::wstring kDisableFailed = L"Disable Flash Write Protect Failed!";
const std::wstring kSfTypeWriteFailed = L"Write SFType Data To Mask Rom Failed!";
const std::wstring kCheckDataFailed = L"Check Data Failed!";
const std::wstring kFlashTooSmall = L"The Flash size is less than 128K, please confirm!";

INSTANTIATE_TEST_SUITE_P(
    Rows, BurnFaultTableTest,
    ::testing::Values(
        StageFault{"GoneAtDisable", "disable", StopsAnswering(), {L"Camera init failed!", kDisableFailed}, 0},
        StageFault{"GoneAtDetection", "detection", StopsAnswering(), {kSfTypeWriteFailed, kCheckDataFailed}, 0},
        StageFault{"GoneAtErase", "erase", StopsAnswering(), {kCheckDataFailed}, 0},
        StageFault{"GoneAtEraseWait", "erase wait", StopsAnswering(), {kCheckDataFailed}, 0},
        StageFault{"GoneAtEraseCheck", "erase check", StopsAnswering(), {kCheckDataFailed}, 0},
        StageFault{"GoneAtProgramming", "programming", StopsAnswering(), {kCheckDataFailed}, 0},
        // A failed read of the first block is a difference there.
        StageFault{"GoneAtVerify", "verify", StopsAnswering(), {kFlashTooSmall}, 0},
        // The image is in the flash and verified: the burn stands.
        StageFault{"GoneAtEnable", "enable", StopsAnswering(),
                   {L"GetChipIDValue Failed!", L"Enable Flash Write Protect Failed!"}, 1},
        // A busy chip takes no command and reads 0xFF: the verify finds the first block unwritten.
        StageFault{"BusyFromDisable", "disable", StaysBusy(), {kFlashTooSmall}, 0},
        StageFault{"BusyFromEraseWait", "erase wait", StaysBusy(), {kFlashTooSmall}, 0},
        StageFault{"BusyFromProgramming", "programming", StaysBusy(), {kFlashTooSmall}, 0},
        // A single failure is no vanished camera: the wait polls on, the detection still finds
        // the part.
        StageFault{"OneStatusReadRefusedInEraseWait", "erase wait", RefusesOnce(StatusByteRead()), {}, 1},
        StageFault{"OneRequestRefusedInDetection", "detection", RefusesOnce({}), {}, 1},
        StageFault{"OneWriteRefused", "programming", RefusesOnce({}), {kCheckDataFailed}, 0},
        StageFault{"OneVerifyReadRefused", "verify", RefusesOnce({}), {kFlashTooSmall}, 0}),
    StageFaultName);

}  // namespace
}  // namespace burner_test
