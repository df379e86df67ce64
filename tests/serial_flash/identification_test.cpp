// Flash identification: the ID commands sent, the rows they reach and the state they leave.
#include <gtest/gtest.h>

#include "fake_fixture.h"
#include "serial_flash/device_slots.h"
#include "serial_flash/flash_identification.h"
#include "serial_flash/serial_flash.h"

namespace sftest {
namespace {

class IdentificationTest : public FakeCameraTest {
 protected:
  void SetUp() override {
    FakeCameraTest::SetUp();
    ASSERT_EQ(Open(), SF_OPEN_OK);
  }
  void Answer(std::uint8_t opcode, std::vector<std::uint8_t> bytes) { answers_[opcode] = std::move(bytes); }
  void Reset() {
    for (auto& a : answers_) a.clear();
    frames_.clear();
    Forget();
  }
};

TEST_F(IdentificationTest, OneIdReadMakesExactlyItsRegisterTraffic) {
  Answer(0x90, {0xBF, 0x48});
  Forget();
  SFReadFlashId(0x90, 3, 1);
  std::vector<Req> send = {};
  auto sendByte = [](std::uint8_t b) { return Seq({{RegWrite(0x1082, b), RegWrite(0x1081, 1)}, RegRead(0x1084)}); };
  auto receive = Seq({{RegWrite(0x1083, 0), RegWrite(0x1081, 2)}, RegRead(0x1084), RegRead(0x1083)});
  std::vector<Req> expected = Seq({{RegWrite(0x1080, 1), RegWrite(0x1091, 0)}, sendByte(0x90), sendByte(0), sendByte(0),
                                   sendByte(0), receive, receive, {RegWrite(0x1091, 1), RegWrite(0x1080, 0)}});
  EXPECT_TRUE(SameRequests(expected, Requests()));
  EXPECT_EQ(g_sfIdentification.manufacturer, 0xBF);
  EXPECT_EQ(g_sfIdentification.id1, 0x48);
  EXPECT_EQ(g_sfIdentification.id2, 0xFF) << "one device byte: ID 2 set without clocking";
}

// Every row, reached by each step that can reach it.
TEST_F(IdentificationTest, EveryRowIsReachedByTheStepsThatCanReachIt) {
  const std::uint8_t steps[] = {0x9F, 0x15, 0x90, 0xAB};
  for (std::uint8_t row = 1; row < SFFlashIdTableSize(); ++row) {
    const SFFlashIdRow& r = kSFFlashIdTable[row];
    bool wildcard = r.id2 == kAnyDeviceByte;
    for (int step = 0; step < 4; ++step) {
      if (step > 0 && !wildcard) continue;  // fixed ID 2: only the three-byte JEDEC read finds it
      SCOPED_TRACE(::testing::Message() << "row " << int(row) << " step " << step + 1);
      Reset();
      Answer(steps[step], {r.manufacturer, r.id1, wildcard ? std::uint8_t{0x5A} : r.id2});
      EXPECT_EQ(SFGetFlashType(0), r.sfType);
      EXPECT_EQ(g_sfIdentification.matchedRow, row);
      EXPECT_EQ(g_sfIdentification.commandSet, r.commandSet);
      EXPECT_EQ(Opcodes(), std::vector<std::uint8_t>(steps, steps + step + 1)) << "later steps are not sent";
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
  const std::vector<std::uint8_t> all = {0x9F, 0x15, 0x90, 0xAB};
  const Case cases[] = {
      {"9F: C2 20 11", 0x9F, {0xC2, 0x20, 0x11}, 1, {0x9F}, 0xC2},
      {"9F: 9D 7B any", 0x9F, {0x9D, 0x7B, 0x00}, 7, {0x9F}, 0x9D},
      {"9F: continuation, then C2 22 10", 0x9F, {0x7F, 0xC2, 0x22, 0x10}, 4, {0x9F}, 0xC2},
      {"9F: two continuation codes", 0x9F, {0x7F, 0x7F, 0xC2, 0x22}, 0, all, 0xFF},
      {"9F: BF 48 any", 0x9F, {0xBF, 0x48, 0x8E}, 8, {0x9F}, 0xBF},
      {"only 15: 1F 65 misses row 5", 0x15, {0x1F, 0x65, 0x01}, 0, all, 0xFF},
      {"only 90: BF 48", 0x90, {0xBF, 0x48}, 8, {0x9F, 0x15, 0x90}, 0xBF},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Reset();
    Answer(c.opcode, c.answer);
    EXPECT_EQ(SFGetFlashType(0), kSFFlashIdTable[c.row].sfType);
    EXPECT_EQ(g_sfIdentification.matchedRow, c.row);
    EXPECT_EQ(Opcodes(), c.sent);
    EXPECT_EQ(g_sfIdentification.manufacturer, c.manufacturer) << "the ID bytes of the last read stay";
  }
  // The two continuation codes: the second stays as the manufacturer at step 1.
  Reset();
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
    Reset();
    for (std::uint8_t op : {0x9F, 0x15, 0x90, 0xAB}) Answer(op, std::vector<std::uint8_t>(8, idle));
    g_sfIdentification.matchedRow = 5;
    EXPECT_EQ(SFGetFlashType(0), 0);
    EXPECT_EQ(Opcodes(), (std::vector<std::uint8_t>{0x9F, 0x15, 0x90, 0xAB}));
    EXPECT_EQ(g_sfIdentification.matchedRow, 0);
    EXPECT_EQ(g_sfIdentification.commandSet, 0);
    EXPECT_EQ(g_sfIdentification.sfType, 0);
    EXPECT_EQ(regs_[0x1080], 0) << "host access off after each read";
    EXPECT_EQ(regs_[0x1091], 1) << "chip select released after each read";
  }
}

TEST_F(IdentificationTest, FailedReadsKeepTheEarlierIdBytes) {
  Answer(0x9F, {0xC2, 0x20, 0x11});
  ASSERT_EQ(SFGetFlashType(0), 1);
  Reset();
  state_->results.assign(100000, E_FAIL);
  EXPECT_EQ(SFGetFlashType(0), 1) << "the lookup runs again on the kept bytes";
  EXPECT_EQ(g_sfIdentification.matchedRow, 1);
}

}  // namespace
}  // namespace sftest
