// Choosing the mask-ROM record for a key, and the keys that need register 0x1040 cleared.
#include <gtest/gtest.h>

#include <cstring>

#include "burner/chip_erase.h"

namespace {

MaskRomKey Key(const char* model, int v0, int v1 = 0, int v2 = 0) {
  MaskRomKey key = {};
  std::memcpy(key.modelCode, model, 4);
  key.version[0] = static_cast<std::int8_t>(v0);
  key.version[1] = static_cast<std::int8_t>(v1);
  key.version[2] = static_cast<std::int8_t>(v2);
  return key;
}

MaskRomRecord Record(const char* model, std::uint8_t v0, std::uint8_t v1, std::uint8_t v2, std::uint16_t reg,
                     bool minimumVersion) {
  MaskRomRecord record = {};
  std::memcpy(record.modelCode, model, 4);
  record.version[0] = v0;
  record.version[1] = v1;
  record.version[2] = v2;
  record.sfTypeRegister = reg;
  record.matchMinimumVersion = minimumVersion ? 1 : 0;
  return record;
}

// A table of the test's own: fallback first, then exact and minimum-version records. The two
// "QX7M" records come in an order where the first match must win over a later, exact one.
const MaskRomRecord kTable[] = {
    Record("\0\0\0\0", 0, 0, 0, 0x0000, false),
    Record("AB12", 3, 1, 4, 0x2001, false),
    Record("QX7M", 0x10, 0, 0, 0x2002, true),
    Record("QX7M", 0x20, 5, 5, 0x2003, false),
    Record("HIGH", 0x90, 0, 0, 0x2004, true),
    Record("EXAC", 0x85, 2, 3, 0x2005, false),
};

TEST(DeviceMaskRom, ScanTakesTheFirstMatchingRecordOrTheFallback) {
  struct Case {
    const char* what;
    MaskRomKey key;
    std::uint16_t expectedRegister;
  } cases[] = {
      {"exact match on all three versions", Key("AB12", 3, 1, 4), 0x2001},
      {"model code compared case-insensitively", Key("ab12", 3, 1, 4), 0x2001},
      {"exact record refuses another second version", Key("AB12", 3, 2, 4), 0x0000},
      {"exact record refuses another third version", Key("AB12", 3, 1, 5), 0x0000},
      {"minimum version met exactly", Key("qx7m", 0x10), 0x2002},
      {"minimum version exceeded, later versions ignored", Key("QX7M", 0x11, 9, 9), 0x2002},
      {"first match wins over a later exact record", Key("QX7M", 0x20, 5, 5), 0x2002},
      {"minimum version not reached", Key("QX7M", 0x0F), 0x0000},
      // Key versions are signed: 0x95 is negative, below the record's unsigned 0x90.
      {"signed key version below an unsigned record version", Key("HIGH", 0x95), 0x0000},
      {"signed key version never equals a record version of 0x80 or more", Key("EXAC", 0x85, 2, 3), 0x0000},
      {"unknown model code", Key("ZZZZ", 3, 1, 4), 0x0000},
      {"the blank key", kBlankMaskRomKey, 0x0000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(FindMaskRomRecord(c.key, kTable).sfTypeRegister, c.expectedRegister);
  }
}

TEST(DeviceMaskRom, BuiltInTableHoldsOnlyTheFallbackOnRegisterZero) {
  ASSERT_EQ(MaskRomTable().size(), 1u);
  EXPECT_EQ(MaskRomTable()[0].sfTypeRegister, 0x0000);
  EXPECT_EQ(&FindMaskRomRecord(kBlankMaskRomKey, MaskRomTable()), &MaskRomTable()[0]);
}

TEST(DeviceMaskRom, Register1040IsClearedForM41TOrVersionOne) {
  struct Case {
    MaskRomKey key;
    bool expected;
  } cases[] = {
      {Key("M41T", 0), true},
      {Key("m41t", 7), true},
      {Key("M41U", 0), false},
      {Key("ZZZZ", 1), true},
      {Key("ZZZZ", 2), false},
      {Key("ZZZZ", 0, 1, 1), false},
      {kBlankMaskRomKey, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.key.modelCode, 4) + " v" + std::to_string(c.key.version[0]));
    EXPECT_EQ(KeyNeedsRegister1040Cleared(c.key), c.expected);
  }
}

}  // namespace
