// Flash type detection: the flash's answers decide the SF type, the model code, how many
// identification commands are sent and how the controller is set up.
#include "burner/flash_type_detection.h"
#include "serial_flash/serial_flash.h"
#include "tests/burner/camera_fixture.h"

namespace burner_test {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Commands in the order the detection sends them.
const Bytes kOneReadId = {0x9F};
const Bytes kTwoReadIds = {0x9F, 0x9F};
const Bytes kUpTo15 = {0x9F, 0x9F, 0x15};
const Bytes kUpToD7 = {0x9F, 0x9F, 0x15, 0xD7};
const Bytes kUpTo90 = {0x9F, 0x9F, 0x15, 0xD7, 0x90};
const Bytes kAllSix = {0x9F, 0x9F, 0x15, 0xD7, 0x90, 0xAB};

struct Answers {
  Bytes readId = {}, readIdAgain = {}, id15 = {}, idD7 = {}, id90 = {}, idAB = {};
  std::uint8_t idle = 0x00;
};

simcam::FlashProfile Profile(const Answers& a) {
  simcam::FlashProfile p = simcam::SilentFlashProfile(a.idle);
  p.name = "ad-hoc";
  p.jedecId = a.readId;
  p.jedecIdAgain = a.readIdAgain;
  p.id15 = a.id15;
  p.statusD7 = a.idD7;
  p.id90 = a.id90;
  p.idAB = a.idAB;
  return p;
}

class DeviceDetection : public CameraTest {
 protected:
  // Opens the library on a camera with this flash and runs the detection with a clean trace.
  std::shared_ptr<simcam::SimulatedCamera> Detect(const simcam::FlashProfile& flash) {
    SFClose();
    platform::ClearVideoInputDevices();
    auto camera = Attach(ConfigWithFlash(flash));
    EXPECT_EQ(SFOpen(), SF_OPEN_OK);
    camera->ClearTrace();
    ctx->m_sfType = 0x5A;  // stale values of an earlier detection
    ctx->m_sfSubType = 0x5A;
    DetectSFType(*ctx);
    return camera;
  }

  void ExpectSetUp(simcam::SimulatedCamera& camera, bool dataFlash) {
    EXPECT_EQ(camera.Reg(0x108C), dataFlash ? 0x04 : 0x00);
    EXPECT_EQ(camera.Reg(0x108D), 0x07);
    EXPECT_EQ(camera.Reg(0x108E), 0x07);
    EXPECT_EQ(camera.Reg(0x108F), 0x07);
    EXPECT_EQ(camera.Reg(0x1087), dataFlash ? 0xD7 : 0x05);
    EXPECT_EQ(camera.Reg(0x1088), dataFlash ? 0xE8 : 0x03);
    EXPECT_EQ(camera.Reg(0x1092), dataFlash ? 0x80 : 0x01);
    EXPECT_EQ(camera.Reg(0x1093), dataFlash ? 0x01 : 0x00);
    EXPECT_FALSE(camera.HostAccess());
    EXPECT_FALSE(camera.ChipSelected());
  }

  void TearDown() override {
    SFClose();
    CameraTest::TearDown();
  }
};

TEST_F(DeviceDetection, AnswersDecideTypeModelAndCommandsSent) {
  struct Case {
    const char* what;
    Answers answers;
    std::uint8_t sfType, sfSubType;
    Bytes commands;
  } cases[] = {
      {"Macronix with a model code", {.readId = {0xC2, 0x20, 0x13}}, 1, 4, kOneReadId},
      {"Macronix with another memory type", {.readId = {0xC2, 0x22, 0x13}}, 1, 0, kOneReadId},
      {"Numonyx 0x11", {.readId = {0x20, 0x20, 0x11}}, 2, 0x11, kOneReadId},
      {"Numonyx other memory type", {.readId = {0x20, 0x30, 0x11}}, 2, 0, kOneReadId},
      {"Atmel 0x1F 0x66 re-read 4", {.readId = {0x1F, 0x66, 0x04}}, 5, 0x30, kOneReadId},
      {"Atmel 0x1F 0x66 re-read 5", {.readId = {0x1F, 0x66, 0x05}}, 5, 0, kOneReadId},
      {"Atmel 0x1F other type with 4", {.readId = {0x1F, 0x65, 0x04}}, 5, 0, kOneReadId},
      {"Winbond type 0x20", {.readId = {0xEF, 0x20, 0x15}}, 7, 0x74, kOneReadId},
      {"Winbond type 0x30", {.readId = {0xEF, 0x30, 0x13}}, 7, 0x7A, kOneReadId},
      {"Winbond unknown capacity", {.readId = {0xEF, 0x30, 0x20}}, 7, 0, kOneReadId},
      {"PMC after a continuation code", {.readId = {0x7F, 0x9D, 0x7C}}, 8, 0x81, kTwoReadIds},
      {"PMC without continuation", {.readId = {0x9D, 0x7E, 0x00}}, 8, 0x83, kOneReadId},
      {"AMIC keyed on capacity, any type", {.readId = {0x37, 0x55, 0x21}}, 10, 0x92, kOneReadId},
      {"GigaDevice in the second answer", {.readId = {0xC8, 0x40, 0x12}}, 0, 0xA1, kTwoReadIds},
      {"GigaDevice unknown capacity still finishes", {.readId = {0xC8, 0x40, 0x17}}, 0, 0, kTwoReadIds},
      {"GigaDevice other type goes on", {.readId = {0xC8, 0x41, 0x12}}, 0, 0, kAllSix},
      {"unlisted maker with type 0x20", {.readId = {0x12, 0x20, 0x10}}, 0xFF, 0, kAllSix},
      {"GigaDevice in the second answer clears the unlisted type",
       {.readId = {0x12, 0x20, 0x10}, .readIdAgain = {0xC8, 0x41, 0x12}}, 0, 0, kAllSix},
      {"unlisted maker with another type", {.readId = {0x12, 0x30, 0x10}}, 0, 0, kAllSix},
      {"no maker with type 0x20 is not unlisted", {.readId = {0x00, 0x20, 0x10}}, 0, 0, kAllSix},
      {"a later hit replaces the unlisted type", {.readId = {0x12, 0x20, 0x10}, .idAB = {0x10}},
       2, 0x11, kAllSix},
      {"Atmel through 0x15", {.id15 = {0x1F, 0x63}}, 4, 0x22, kUpTo15},
      {"Atmel through 0x15, unknown device", {.id15 = {0x1F, 0x99}}, 4, 0, kUpTo15},
      {"DataFlash status 0x1C", {.idD7 = {0x00, 0x1C}}, 6, 0x41, kUpToD7},
      {"DataFlash status 0x0C", {.idD7 = {0x0C}}, 6, 0x40, kUpToD7},
      {"0xD7 compares the whole second byte", {.idD7 = {0x00, 0x8C}}, 0, 0, kAllSix},
      {"0xD7 first byte is not tested", {.idD7 = {0x1C, 0x00}}, 0, 0, kAllSix},
      {"SST through 0x90", {.id90 = {0xBF, 0x49}}, 3, 0x51, kUpTo90},
      {"Winbond through 0x90", {.id90 = {0xEF, 0x42}}, 7, 0x77, kUpTo90},
      {"Macronix through 0x90", {.id90 = {0xC2, 0x05}}, 1, 1, kUpTo90},
      {"Macronix through 0x90, unknown device", {.id90 = {0xC2, 0x77}}, 1, 0, kUpTo90},
      {"0xAB signature 0x05", {.idAB = {0x05}}, 2, 0x10, kAllSix},
      {"0xAB PMC", {.idAB = {0x9D, 0x7D}}, 8, 0x82, kAllSix},
      {"0xAB unknown", {.idAB = {0x33}}, 0, 0, kAllSix},
      {"all zeros", {}, 0, 0, kAllSix},
      {"all ones", {.idle = 0xFF}, 0, 0, kAllSix},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    auto camera = Detect(Profile(c.answers));
    EXPECT_EQ(int{ctx->m_sfType}, int{c.sfType});
    EXPECT_EQ(int{ctx->m_sfSubType}, int{c.sfSubType});
    EXPECT_EQ(HexBytes(HostOpcodes(camera->SpiFrames())), HexBytes(c.commands));
    ExpectSetUp(*camera, c.sfType == kSfTypeDataFlash);
    SFClose();
    platform::ClearVideoInputDevices();
  }
}

TEST_F(DeviceDetection, EverySentByteIsFollowedByAReadOfTheShiftInRegister) {
  auto camera = Detect(Profile({.readId = {0xC2, 0x20, 0x13}}));
  const std::vector<std::string> receive = {"W 1083=00", "W 1081=02", "R 1084", "R 1083"};
  std::vector<std::string> expected = {"W 1080=01", "W 1091=00", "W 1082=9F", "W 1081=01", "R 1084", "R 1083"};
  for (int i = 0; i < 3; ++i) expected.insert(expected.end(), receive.begin(), receive.end());
  expected.insert(expected.end(), {"W 1091=01", "W 1080=00", "W 108C=00", "W 108D=07", "W 108E=07", "W 108F=07",
                                   "W 1087=05", "W 1088=03", "W 1092=01", "W 1093=00"});
  EXPECT_EQ(RegisterTraffic(camera->Requests()), expected);
  EXPECT_EQ(HostFrames(camera->SpiFrames()), (std::vector<std::string>{"9F < C2 20 13"}));
}

TEST_F(DeviceDetection, DummyBytesAndTheAtmelReRead) {
  auto camera = Detect(Profile({.readId = {0x1F, 0x66, 0x04}}));
  const auto traffic = RegisterTraffic(camera->Requests());
  // Once the frame has ended the shift-in register, which last received the capacity byte, is
  // read once more before host access goes off.
  const std::vector<std::string> tail = {"W 1081=02", "R 1084", "R 1083", "W 1091=01", "R 1083", "W 1080=00"};
  auto it = std::search(traffic.begin(), traffic.end(), tail.begin(), tail.end());
  EXPECT_NE(it, traffic.end()) << testing::PrintToString(traffic);

  camera = Detect(Profile({.id90 = {0xBF, 0x48}}));
  const auto frames = HostFrames(camera->SpiFrames());
  ASSERT_EQ(frames.size(), 5u);
  EXPECT_EQ(frames[4], "90 00 00 00 < BF 48");
}

TEST_F(DeviceDetection, DataFlashSetUpIsWrittenInOrder) {
  auto camera = Detect(Profile({.idD7 = {0x00, 0x1C}}));
  const auto traffic = RegisterTraffic(camera->Requests());
  const std::vector<std::string> setUp = {"W 1080=00", "W 108C=00", "W 108D=07", "W 108E=07", "W 108F=07",
                                          "W 1087=D7", "W 1088=E8", "W 1092=80", "W 1093=01", "W 108C=04"};
  ASSERT_GE(traffic.size(), setUp.size());
  EXPECT_EQ(std::vector<std::string>(traffic.end() - setUp.size(), traffic.end()), setUp);
}

TEST_F(DeviceDetection, CatalogueParts) {
  struct Case {
    const char* part;
    std::uint8_t sfType, sfSubType;
  } cases[] = {
      {"MX25L1005", 1, 2},      {"MX25L512", 1, 1},       {"MX25L1021E", 1, 0},   {"MX25L512-REMS", 1, 1},
      {"M25P05A", 2, 0x10},     {"M25P10A", 2, 0x11},     {"W25X05", 7, 0},       {"W25X10", 7, 0x78},
      {"W25P10", 7, 0x70},      {"Pm25LV512", 8, 0x80},   {"Pm25LV010", 8, 0x81}, {"Pm25LV010-RES", 8, 0x81},
      {"Pm25LD512", 8, 0},      {"SST25VF512", 3, 0x50},  {"SST25VF010", 3, 0x51}, {"AT25F512A", 4, 0x20},
      {"AT25F1024A", 4, 0x21},  {"AT25DF512C", 5, 0},     {"AT26F004", 5, 0x30},  {"AT45DB011", 6, 0x40},
      {"GD25Q512", 0, 0xA3},    {"GD25Q10", 0, 0xA2},     {"A25L512", 10, 0x91},  {"A25L010", 10, 0x93},
      // Makers the detection does not know fall through to 0xAB.
      {"F25L05PA", 2, 0x10},    {"EN25P10", 2, 0x11},     {"EN25P40", 0xFF, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.part);
    const simcam::FlashProfile* part = simcam::FindFlashProfile(c.part);
    ASSERT_NE(part, nullptr);
    auto camera = Detect(*part);
    EXPECT_EQ(int{ctx->m_sfType}, int{c.sfType});
    EXPECT_EQ(int{ctx->m_sfSubType}, int{c.sfSubType});
    SFClose();
    platform::ClearVideoInputDevices();
  }
}

}  // namespace
}  // namespace burner_test
