// Flash identification: the ID commands sent, the rows they reach and the state they leave, on
// flashes that answer chosen bytes and on the catalogue's real parts.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "camera_fixture.h"
#include "serial_flash/device_slots.h"
#include "serial_flash/flash_identification.h"
#include "serial_flash/serial_flash.h"

namespace sftest {
namespace {

const std::vector<std::uint8_t> kAllSteps = {0x9F, 0x15, 0x90, 0xAB};

class IdentificationTest : public CameraTest {
 protected:
  void SetUp() override {
    CameraTest::SetUp();
    ASSERT_EQ(Open(), SF_OPEN_OK);
  }
  // A freshly opened camera whose flash is `flash`.
  void OpenWith(const simcam::FlashProfile& flash) {
    simcam::CameraConfig config;
    config.flash = flash;
    Replace(config);
    ASSERT_EQ(Open(), SF_OPEN_OK);
  }
  void Answer(std::uint8_t opcode, std::vector<std::uint8_t> bytes) { OpenWith(AnsweringFlash(opcode, std::move(bytes))); }
};

TEST_F(IdentificationTest, OneIdReadMakesExactlyItsRegisterTraffic) {
  Answer(0x90, {0xBF, 0x48});
  SFReadFlashId(0x90, 3, 1);
  auto sendByte = [](std::uint8_t b) { return Seq({{RegWrite(0x1082, b), RegWrite(0x1081, 1)}, RegRead(0x1084)}); };
  auto receive = Seq({{RegWrite(0x1083, 0), RegWrite(0x1081, 2)}, RegRead(0x1084), RegRead(0x1083)});
  std::vector<Req> expected = Seq({{RegWrite(0x1080, 1), RegWrite(0x1091, 0)}, sendByte(0x90), sendByte(0), sendByte(0),
                                   sendByte(0), receive, receive, {RegWrite(0x1091, 1), RegWrite(0x1080, 0)}});
  EXPECT_TRUE(SameRequests(expected, Requests()));
  EXPECT_EQ(HostFrames(), (std::vector<std::vector<std::uint8_t>>{{0x90, 0, 0, 0}}));
  EXPECT_EQ(g_sfIdentification.manufacturer, 0xBF);
  EXPECT_EQ(g_sfIdentification.id1, 0x48);
  EXPECT_EQ(g_sfIdentification.id2, 0xFF) << "one device byte: ID 2 set without clocking";
}

// Every row, reached by each step that can reach it.
TEST_F(IdentificationTest, EveryRowIsReachedByTheStepsThatCanReachIt) {
  for (std::uint8_t row = 1; row < SFFlashIdTableSize(); ++row) {
    const SFFlashIdRow& r = kSFFlashIdTable[row];
    bool wildcard = r.id2 == kAnyDeviceByte;
    for (int step = 0; step < 4; ++step) {
      if (step > 0 && !wildcard) continue;  // fixed ID 2: only the three-byte JEDEC read finds it
      SCOPED_TRACE(::testing::Message() << "row " << int(row) << " step " << step + 1);
      Answer(kAllSteps[step], {r.manufacturer, r.id1, wildcard ? std::uint8_t{0x5A} : r.id2});
      EXPECT_EQ(SFGetFlashType(0), r.sfType);
      EXPECT_EQ(g_sfIdentification.matchedRow, row);
      EXPECT_EQ(g_sfIdentification.commandSet, r.commandSet);
      EXPECT_EQ(HostOpcodes(), std::vector<std::uint8_t>(kAllSteps.begin(), kAllSteps.begin() + step + 1))
          << "later steps are not sent";
    }
  }
}

TEST_F(IdentificationTest, AnswersThatMatchOrMissAtTheirStep) {
  struct Case {
    const char* name;
    std::uint8_t opcode;
    std::vector<std::uint8_t> answer;
    std::uint8_t row;
    std::vector<std::uint8_t> sent;
    std::uint8_t manufacturer;
  };
  const Case cases[] = {
      {"9F: C2 20 11", 0x9F, {0xC2, 0x20, 0x11}, 1, {0x9F}, 0xC2},
      {"9F: 9D 7B any", 0x9F, {0x9D, 0x7B, 0x00}, 7, {0x9F}, 0x9D},
      {"9F: continuation, then C2 22 10", 0x9F, {0x7F, 0xC2, 0x22, 0x10}, 4, {0x9F}, 0xC2},
      {"9F: two continuation codes", 0x9F, {0x7F, 0x7F, 0xC2, 0x22}, 0, kAllSteps, 0xFF},
      {"9F: BF 48 any", 0x9F, {0xBF, 0x48, 0x8E}, 8, {0x9F}, 0xBF},
      {"only 15: 1F 65 misses row 5", 0x15, {0x1F, 0x65, 0x01}, 0, kAllSteps, 0xFF},
      {"only 90: BF 48", 0x90, {0xBF, 0x48}, 8, {0x9F, 0x15, 0x90}, 0xBF},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Answer(c.opcode, c.answer);
    EXPECT_EQ(SFGetFlashType(0), kSFFlashIdTable[c.row].sfType);
    EXPECT_EQ(g_sfIdentification.matchedRow, c.row);
    EXPECT_EQ(HostOpcodes(), c.sent);
    EXPECT_EQ(g_sfIdentification.manufacturer, c.manufacturer) << "the ID bytes of the last read stay";
  }
  // The two continuation codes: the second stays as the manufacturer at step 1.
  Answer(0x9F, {0x7F, 0x7F, 0xC2, 0x22});
  SFReadFlashId(0x9F, 0, 2);
  EXPECT_EQ(g_sfIdentification.manufacturer, 0x7F);
  EXPECT_EQ(g_sfIdentification.id1, 0xC2);
  EXPECT_EQ(g_sfIdentification.id2, 0x22);
  EXPECT_EQ(SFLookupFlashId(), 0);
}

TEST_F(IdentificationTest, SilentChipsMatchNothingAfterFourCommands) {
  for (std::uint8_t idle : {0xFF, 0x00}) {
    SCOPED_TRACE(static_cast<int>(idle));
    OpenWith(simcam::SilentFlashProfile(idle));
    g_sfIdentification.matchedRow = 5;
    EXPECT_EQ(SFGetFlashType(0), 0);
    EXPECT_EQ(HostOpcodes(), kAllSteps);
    EXPECT_EQ(g_sfIdentification.matchedRow, 0);
    EXPECT_EQ(g_sfIdentification.commandSet, 0);
    EXPECT_EQ(g_sfIdentification.sfType, 0);
    EXPECT_FALSE(Camera().HostAccess()) << "host access off after each read";
    EXPECT_FALSE(Camera().ChipSelected()) << "chip select released after each read";
  }
}

TEST_F(IdentificationTest, FailedReadsKeepTheEarlierIdBytes) {
  ASSERT_EQ(Camera().Config().flash.name, "MX25L1005");  // answers C2 20 11
  ASSERT_EQ(SFGetFlashType(0), 1);
  Forget();
  Camera().AddFault({.kind = simcam::Fault::Kind::FailRequest, .repeat = ~0u});  // every request fails
  EXPECT_EQ(SFGetFlashType(0), 1) << "the lookup runs again on the kept bytes";
  EXPECT_EQ(g_sfIdentification.matchedRow, 1);
  EXPECT_TRUE(HostOpcodes().empty());
}

// Every part of the catalogue, identified as the row its answers reach (0: no row), with the
// commands sent up to that row. A part added to the catalogue needs its row here.
TEST_F(IdentificationTest, CatalogueChipsReachTheirRows) {
  struct Expected {
    std::uint8_t row;
    std::vector<std::uint8_t> sent;
  };
  const std::vector<std::uint8_t> to90 = {0x9F, 0x15, 0x90};
  const std::map<std::string, Expected> rows = {
      {"MX25L1005", {1, {0x9F}}},      {"MX25L512", {3, {0x9F}}},        {"MX25L1021E", {2, {0x9F}}},
      {"MX25L5121E", {4, {0x9F}}},     {"MX25L512-REMS", {0, kAllSteps}}, {"M25P05A", {0, kAllSteps}},
      {"M25P10A", {0, kAllSteps}},     {"W25X05", {11, {0x9F}}},         {"W25X10", {0, kAllSteps}},
      {"W25P10", {0, kAllSteps}},      {"Pm25LV512", {7, {0x9F}}},       {"Pm25LV010", {0, kAllSteps}},
      {"Pm25LV010-RES", {0, kAllSteps}}, {"Pm25LD512", {6, {0x9F}}},     {"SST25VF512", {8, to90}},
      {"SST25VF010", {0, kAllSteps}},  {"AT25F512A", {0, kAllSteps}},    {"AT25F1024A", {0, kAllSteps}},
      {"AT25DF512C", {5, {0x9F}}},     {"AT26F004", {0, kAllSteps}},     {"AT45DB011", {0, kAllSteps}},
      {"GD25Q512", {10, {0x9F}}},      {"GD25Q10", {0, kAllSteps}},      {"A25L512", {12, {0x9F}}},
      {"A25L010", {0, kAllSteps}},     {"F25L05PA", {9, {0x9F}}},        {"FM25F005", {13, {0x9F}}},
      {"EN25P05", {0, kAllSteps}},     {"EN25P10", {0, kAllSteps}},      {"EN25P40", {0, kAllSteps}},
  };
  for (const simcam::FlashProfile& part : simcam::FlashCatalogue()) {
    SCOPED_TRACE(part.name);
    auto expected = rows.find(part.name);
    ASSERT_NE(expected, rows.end()) << "no expected row for this part";
    OpenWith(part);
    const SFFlashIdRow& row = kSFFlashIdTable[expected->second.row];
    EXPECT_EQ(SFGetFlashType(0), row.sfType);
    EXPECT_EQ(g_sfIdentification.matchedRow, expected->second.row);
    EXPECT_EQ(g_sfIdentification.commandSet, row.commandSet);
    EXPECT_EQ(HostOpcodes(), expected->second.sent);
  }
}

}  // namespace
}  // namespace sftest
