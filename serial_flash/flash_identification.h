#pragma once
// Identification of the serial flash: up to four ID commands, each looked up in the table of
// known chips. The result is library-wide, not per slot, and only write protection uses it.
#include <cstdint>

// One known chip. kAnyDeviceByte in a device column matches any value.
struct SFFlashIdRow {
  std::uint8_t manufacturer;  // JEP106 code; always compared exactly
  std::uint8_t id1;
  std::uint8_t id2;
  std::uint8_t sfType;        // the library's own flash type code
  std::uint8_t commandSet;    // row of the command-set table
  std::uint8_t known;         // 1 in every row but the no-match row; nothing reads it
};
constexpr std::uint8_t kAnyDeviceByte = 0xFF;

// Serial-flash command bytes of one chip family.
struct SFCommandSet {
  std::uint8_t read;
  std::uint8_t writeEnable;
  std::uint8_t program;
  std::uint8_t writeStatus;
  std::uint8_t chipErase;
  std::uint8_t sectorErase;
  std::uint8_t writeDisable;
};

extern const SFFlashIdRow kSFFlashIdTable[14];
extern const SFCommandSet kSFCommandSets[6];

// Overwritten by each identification, never cleared otherwise.
struct SFIdentificationState {
  std::uint8_t manufacturer;
  std::uint8_t id1;
  std::uint8_t id2;          // 0xFF after a read that clocks in only one device byte
  std::uint8_t matchedRow;   // 0 = no match
  std::uint8_t commandSet;
  std::uint8_t sfType;
};
extern SFIdentificationState g_sfIdentification;

std::uint8_t SFFlashIdTableSize();
// Sends one ID command on slot 0 and stores the ID bytes. deviceBytes 2 clocks in two device
// bytes, any other value one.
void SFReadFlashId(std::uint8_t command, std::uint8_t dummyBytes, std::uint8_t deviceBytes);
// Looks the stored ID bytes up; stores and returns the SF type (0 = no row matched).
std::uint8_t SFLookupFlashId();
// The whole identification; the SF type of its last lookup.
std::uint8_t SFIdentifyFlash();
// -1 on a closed slot (nothing sent, state unchanged); otherwise identifies and returns the SF type.
int SFGetFlashType(int dev);
