// The export and the firmware information readers on the simulated camera: the file and its
// name, what is never lost when the export cannot finish, and the two address tables.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "burner/export_workflow.h"
#include "burner/firmware_information.h"
#include "serial_flash/serial_flash.h"
#include "tests/burner/stage_faults.h"
#include "tests/burner/workflow_fixture.h"

namespace burner_test {
namespace {

namespace fs = std::filesystem;
using simcam::Fault;

struct Text {
  std::string tag, first, second, third;
};

void PutBytes(simcam::SimulatedCamera& camera, std::uint32_t address, const std::string& bytes) {
  camera.SetFlash(std::vector<std::uint8_t>(bytes.begin(), bytes.end()), address);
}

// Writes the three strings at base and the tag at tagAddress (each padded or cut to its size).
void PutFirmwareText(simcam::SimulatedCamera& camera, std::uint32_t base, std::uint32_t tagAddress, const Text& t) {
  const auto fit = [](std::string s, std::size_t n) {
    s.resize(n, '\0');
    return s;
  };
  PutBytes(camera, base, fit(t.first, 10) + fit(t.second, 10) + fit(t.third, 10));
  PutBytes(camera, tagAddress, fit(t.tag, 5));
}

const Text kWorkedExample = {"ABCD1", "XYZW000001", "0123456789", "1305210102"};
const char kWorkedExampleName[] = "ABCD-0123456789-1-V130521_01_02-XYZW000001.src";

std::vector<std::uint8_t> ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

void WriteFile(const fs::path& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::vector<std::string> Entries(const fs::path& dir) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

class ExportTest : public WorkflowTest {
 public:
  void SetUp() override {
    WorkflowTest::SetUp();
    std::string pattern = (fs::temp_directory_path() / "flarnex-export-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    dir = pattern;
  }
  void TearDown() override {
    fs::remove_all(dir);
    WorkflowTest::TearDown();
  }
  fs::path dir;
};

TEST_F(ExportTest, WritesTheWholeFlashUnderItsFirmwareNameReplacingAnEarlierFile) {
  StartCamera(Config(0x32));
  PutFirmwareText(*camera, 0x0FD0, 0x0153, kWorkedExample);
  PutBytes(*camera, 0x1FFF8, std::string(8, '\x11'));  // never read
  const fs::path target = dir / kWorkedExampleName;
  WriteFile(target, std::vector<std::uint8_t>(100, 0xAB));

  EXPECT_EQ(ExportRomToDirectory(ctx, dir), 1);

  std::vector<std::uint8_t> expected = camera->Flash();
  std::fill(expected.end() - 8, expected.end(), 0xFF);
  EXPECT_EQ(ReadFile(target), expected);
  EXPECT_EQ(Entries(dir), std::vector<std::string>{kWorkedExampleName});
  EXPECT_EQ(EffectsWithoutWorkPositions(),
            (std::vector<Effect>{ItemText(IDC_STATUS, L"Exporting..."),
                                 ItemText(IDC_EXPORT_NAME, L"ABCD-0123456789-1-V130521_01_02-XYZW000001.src"),
                                 Range(IDC_PROGRESS_WORK, 13106)}));
  const std::vector<int> positions = WorkPositions();
  ASSERT_EQ(positions.size(), 16383u);
  EXPECT_EQ(positions.back(), 0x1FFF0 / 10);
  EXPECT_EQ(Count(IsFlashRead), 16383u);
  EXPECT_EQ(g_bankFlag, 0);
  EXPECT_EQ(g_chipId, 0x32);
}

TEST_F(ExportTest, CameraGoneHalfwayLeavesTheEarlierFileAsItWas) {
  StartCamera(Config(0x32));
  PutFirmwareText(*camera, 0x0FD0, 0x0153, kWorkedExample);
  const fs::path target = dir / kWorkedExampleName;
  const std::vector<std::uint8_t> earlier(0x20000, 0x3C);
  WriteFile(target, earlier);
  Fault gone;
  gone.kind = Fault::Kind::Disconnect;
  FaultAfter({Pos(IDC_PROGRESS_WORK, 0x10000 / 10)}, gone);

  EXPECT_EQ(ExportRomToDirectory(ctx, dir), 0);

  EXPECT_EQ(ReadFile(target), earlier);
  EXPECT_EQ(Entries(dir), std::vector<std::string>{kWorkedExampleName}) << "no temporary file is left behind";
  EXPECT_EQ(g_bankFlag, 0);
}

TEST_F(ExportTest, TargetThatCannotBeWrittenGivesZero) {
  StartCamera(Config(0x32));
  PutFirmwareText(*camera, 0x0FD0, 0x0153, kWorkedExample);
  WriteFile(dir / "plain-file", {1, 2, 3});
  fs::create_directory(dir / "taken");
  fs::create_directory(dir / "taken" / kWorkedExampleName);  // a directory where the file should go
  struct Case {
    const char* name;
    fs::path directory;
  };
  const Case cases[] = {
      {"directory missing", dir / "missing"},
      {"directory is a file", dir / "plain-file"},
      {"target is a directory", dir / "taken"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ExportRomToDirectory(ctx, c.directory), 0);
    EXPECT_EQ(g_bankFlag, 0);
  }
  EXPECT_EQ(Entries(dir), (std::vector<std::string>{"plain-file", "taken"}));
  EXPECT_EQ(ReadFile(dir / "plain-file"), (std::vector<std::uint8_t>{1, 2, 3}));
  EXPECT_TRUE(fs::is_directory(dir / "taken" / kWorkedExampleName));
  EXPECT_EQ(Entries(dir / "taken"), std::vector<std::string>{kWorkedExampleName});
}

// Discovery finds the camera, but the library's open does not succeed: F/W Version says so in its
// box and reads nothing; the name builder gives no name and shows nothing. Without the library the
// flash cannot be seen idle, so the export reads nothing and fails.
TEST_F(ExportTest, FailedLibraryOpenShowsCameraInitFailedAndFailsTheExport) {
  struct Case {
    const char* name;
    std::function<void(simcam::CameraConfig&)> configure;
    bool reg3C5Fails;  // the open then leaves the slot open, with open result 0
  };
  const Case cases[] = {
      {"DevicePath unreadable", [](simcam::CameraConfig& c) { c.devices[0].devicePathRead = E_FAIL; }, false},
      {"register 0x3C5 unreadable on an unprobed chip",
       [](simcam::CameraConfig& c) { c.control4.behaviour = simcam::Control4Behaviour::Refuse; }, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TearDown();
    SetUp();
    simcam::CameraConfig config = Config(0x32);
    c.configure(config);
    if (!RoadCarries(config)) continue;
    StartCamera(config);
    PutFirmwareText(*camera, 0x0FD0, 0x0153, kWorkedExample);
    if (c.reg3C5Fails) {
      Fault fault;
      fault.kind = Fault::Kind::RegisterReadFails;
      fault.reg = 0x3C5;
      camera->AddFault(fault);
    }

    ShowFirmwareVersion(ctx);
    EXPECT_EQ(ctx.effects, std::vector<Effect>{Message(L"Camera Init Failed!")});

    ctx.effects.clear();
    camera->ClearTrace();
    std::string name = "untouched";
    EXPECT_EQ(BuildExportFileName(ctx, name), 0);
    EXPECT_EQ(name, "untouched");
    EXPECT_TRUE(ctx.effects.empty());
    EXPECT_EQ(Count([](const simcam::RequestRecord& r) { return r.control == 3; }), 0u) << "no field is read";

    camera->ClearTrace();
    EXPECT_EQ(ExportRomToDirectory(ctx, dir), 0);
    EXPECT_TRUE(Entries(dir).empty());
    EXPECT_TRUE(ctx.effects.empty());
    EXPECT_EQ(Count(IsFlashRead), 0u);
  }
}

TEST_F(ExportTest, HostileFirmwareBytesGiveTheDefaultName) {
  struct Case {
    const char* name;
    Text text;
  };
  const Case cases[] = {
      {"dot in the tag", {"AB.D1", "XYZW000001", "0123456789", "1305210102"}},
      {"slash in the first string", {"ABCD1", "XY/W000001", "0123456789", "1305210102"}},
      {"backslash in the second string", {"ABCD1", "XYZW000001", "0123\\56789", "1305210102"}},
      {"space in the third string", {"ABCD1", "XYZW000001", "0123456789", "1305 10102"}},
      {"byte 0x80", {"ABCD1", "XYZW00000\x80", "0123456789", "1305210102"}},
      {"byte 0xE9 (a Latin-1 letter)", {"ABCD\xE9", "XYZW000001", "0123456789", "1305210102"}},
      {"byte 0xFF", {"ABCD1", "XYZW000001", "0123456789", "13052101\xFF" "2"}},
      {"zero byte in the second string", {"ABCD1", "XYZW000001", std::string("01234\0" "6789", 10), "1305210102"}},
      {"zero byte in the first string", {"ABCD1", std::string("XYZW\0" "00001", 10), "0123456789", "1305210102"}},
  };
  StartCamera(Config(0x32));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PutFirmwareText(*camera, 0x0FD0, 0x0153, c.text);
    std::string name;
    EXPECT_EQ(BuildExportFileName(ctx, name), 0);
  }

  ctx.effects.clear();
  EXPECT_EQ(ExportRomToDirectory(ctx, dir), 1);
  EXPECT_EQ(Entries(dir), std::vector<std::string>{"TamelAllRomFile.src"});
  EXPECT_EQ(EffectsWithoutWorkPositions()[1], ItemText(IDC_EXPORT_NAME, L"TamelAllRomFile.src"));
}

// The export against a camera that stops answering, a flash that stays busy and a refused
// request, each from the first request of one stage on. An export that fails leaves the earlier
// file of that name as it was and nothing else; one that succeeds wrote what the flash holds.
const Stage kExportStages[] = {
    {"idle check", [](const simcam::RequestRecord&) { return true; }},
    {"idle check end", Writes(0x1080, 0x00)},
    {"name", [](const simcam::RequestRecord& r) { return r.control == 4; }},  // the library's open probes
    {"reads", &WorkflowTest::IsFlashRead},
};

class ExportFaultTableTest : public StageFaultTest<ExportTest> {
 protected:
  std::span<const Stage> Stages() const override { return kExportStages; }
  void Arrange() override {
    StartCamera(Config(0x32));
    PutFirmwareText(*camera, 0x0FD0, 0x0153, kWorkedExample);
    WriteFile(dir / kWorkedExampleName, earlier_);
  }
  int Run() override { return ExportRomToDirectory(ctx, dir); }
  void CheckLeft(int result) override {
    EXPECT_EQ(Entries(dir), std::vector<std::string>{kWorkedExampleName});
    std::vector<std::uint8_t> expected = earlier_;
    if (result == 1) {
      expected = camera->Flash();
      std::fill(expected.end() - 8, expected.end(), 0xFF);  // never read
    }
    EXPECT_EQ(ReadFile(dir / kWorkedExampleName), expected);
  }

 private:
  const std::vector<std::uint8_t> earlier_ = std::vector<std::uint8_t>(0x20000, 0x3C);  // the file replaced
};

TEST_P(ExportFaultTableTest, EndsInTimeAndWritesOnlyWhatTheFlashHolds) { RunRow(); }

INSTANTIATE_TEST_SUITE_P(
    Rows, ExportFaultTableTest,
    ::testing::Values(StageFault{"GoneAtIdleCheck", "idle check", StopsAnswering(), {}, 0},
                      StageFault{"GoneAtName", "name", StopsAnswering(), {}, 0},
                      StageFault{"GoneAtReads", "reads", StopsAnswering(), {}, 0},
                      // A busy chip reads 0xFF: the export does not read it at all.
                      StageFault{"BusyFromIdleCheck", "idle check", StaysBusy(), {}, 0},
                      StageFault{"OneStatusReadRefusedInIdleWait", "idle check", RefusesOnce(StatusByteRead()), {}, 1},
                      StageFault{"OneReadRefused", "reads", RefusesOnce({}), {}, 0}),
    StageFaultName);

TEST(ExportName, ComposesFromTheFourFields) {
  struct Case {
    Text text;
    const char* name;
  };
  const Case cases[] = {
      {kWorkedExample, kWorkedExampleName},
      // Only the two whole strings lose their '-' bytes.
      {{"A-CD1", "XY-W-00001", "-123-56789", "13-521-1-2"}, "A-CD-12356789-1-V13-521_-1_-2-XYW00001.src"},
      // A zero fifth tag byte leaves two '-' in a row before the 'V'.
      {{std::string("ABCD\0", 5), "XYZW000001", "0123456789", "1305210102"},
       "ABCD-0123456789--V130521_01_02-XYZW000001.src"},
      // Pieces of the tag and the third string end at a zero byte.
      {{std::string("AB\0D1", 5), "XYZW000001", "0123456789", std::string("130\0" "210\0" "02", 10)},
       "AB-0123456789-1-V130_0_02-XYZW000001.src"},
      {{"", "", std::string(10, '-'), ""}, ""},
  };
  for (const Case& c : cases) {
    FirmwareFields fields;
    const auto put = [](auto& field, const std::string& s) { std::copy_n(s.begin(), std::min(s.size(), field.size()), field.begin()); };
    put(fields.tag, c.text.tag);
    put(fields.first, c.text.first);
    put(fields.second, c.text.second);
    put(fields.third, c.text.third);
    std::string name = "untouched";
    const bool composed = ComposeExportName(fields, name);
    SCOPED_TRACE(c.name);
    EXPECT_EQ(composed, *c.name != '\0');
    EXPECT_EQ(name, *c.name != '\0' ? std::string(c.name) : std::string("untouched"));
  }
}

class FirmwareInformationTest : public WorkflowTest {};

// The box and the name read different places for these chip IDs.
TEST_F(FirmwareInformationTest, EachReaderUsesItsOwnTable) {
  struct Case {
    std::uint8_t chipId;
    const wchar_t* box;
    const char* name;
  };
  const Case cases[] = {
      {0x16, L"STUVW\r\nASECOND002\r\nAFIRST0001\r\n1111223344", "BTAG-BSECOND002-9-V555566_77_88-BFIRST0001.src"},
      {0x90, L"PQRST\r\nBSECOND002\r\nBFIRST0001\r\n5555667788", "STUV-ASECOND002-W-V111122_33_44-AFIRST0001.src"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.chipId);
    TearDown();
    SetUp();
    StartCamera(Config(c.chipId));
    PutFirmwareText(*camera, 0x0FD0, 0x0153, {"", "AFIRST0001", "ASECOND002", "1111223344"});
    PutFirmwareText(*camera, 0x3E00, 0x01F3, {"BTAG9", "BFIRST0001", "BSECOND002", "5555667788"});
    PutBytes(*camera, 0x0150, "PQRSTUVW");  // tag at 0x0150 "PQRST", tag at 0x0153 "STUVW"

    ShowFirmwareVersion(ctx);
    EXPECT_EQ(ctx.effects, std::vector<Effect>{CaptionedMessage(c.box, L"Get F/W Version")});
    EXPECT_EQ(g_chipId, c.chipId);
    EXPECT_FALSE(SFClose()) << "the box has closed the library after its reads";

    std::string name;
    EXPECT_EQ(BuildExportFileName(ctx, name), 1);
    EXPECT_EQ(name, c.name);
  }
}

TEST_F(FirmwareInformationTest, BoxShowsWhatItReadUpToTheFirstZeroByte) {
  struct Case {
    const char* name;
    std::uint8_t chipId;
    bool chipIdFails;
    const wchar_t* box;
  };
  const Case cases[] = {
      {"zero byte in the second string", 0x32, false, L"ABCD1\r\n01"},
      {"chip ID without a row", 0x17, false, L""},
      {"chip-ID read fails", 0x32, true, L""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TearDown();
    SetUp();
    StartCamera(Config(c.chipId));
    PutFirmwareText(*camera, 0x0FD0, 0x0153, {"ABCD1", "XYZW000001", std::string("01\0" "3456789", 10), "1305210102"});
    if (c.chipIdFails) {
      Fault fault;  // the read after the box's own discovery
      fault.kind = Fault::Kind::FailRequest;
      fault.match.control = 1;
      fault.match.kind = simcam::RequestRecord::Kind::Set;
      fault.match.address = 0x101F;
      fault.nth = 2;
      camera->AddFault(fault);
    }
    ShowFirmwareVersion(ctx);
    EXPECT_EQ(ctx.effects, std::vector<Effect>{CaptionedMessage(c.box, L"Get F/W Version")});
    EXPECT_FALSE(SFClose()) << "the library is closed whatever was read";
  }

  TearDown();
  SetUp();
  ShowFirmwareVersion(ctx);  // no camera: nothing is shown
  EXPECT_TRUE(ctx.effects.empty());
}

}  // namespace
}  // namespace burner_test
