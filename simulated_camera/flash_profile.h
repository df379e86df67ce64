#pragma once
// Serial flash parts the simulated camera can carry: what each answers to the identification
// commands, how its status register protects it, which erase and program opcodes it takes, and
// its size. The catalogue holds real parts; a test can build an ad-hoc profile from raw answers.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace simcam {

struct FlashProfile {
  std::string name{};
  std::uint32_t size = 0x20000;  // bytes; addresses wrap at the size (a 64 KB part ignores bit 16)

  // Identification answers, each repeated cyclically while the host keeps clocking; an empty
  // answer means the part does not know the command and the host reads idleByte.
  std::vector<std::uint8_t> jedecId{};    // 0x9F (with a 0x7F continuation byte where the part has one)
  std::vector<std::uint8_t> jedecIdAgain{};  // 0x9F after the first 0x9F frame; empty: jedecId again
  std::vector<std::uint8_t> id15{};       // 0x15
  std::vector<std::uint8_t> id90{};       // 0x90, after three address bytes
  std::vector<std::uint8_t> idAB{};       // 0xAB, after three dummy bytes
  std::vector<std::uint8_t> statusD7{};   // 0xD7 (DataFlash status)
  std::uint8_t idleByte = 0xFF;         // what the host reads where the part drives nothing

  // Status register (read with 0x05): bit 0 busy, bit 1 write-enable latch.
  std::uint8_t protectBits = 0x0C;      // block-protect bits; any set refuses chip erase
  std::uint8_t lockBit = 0x80;          // status write disable: with the pin asserted, WRSR is refused
  bool needsEwsr = false;               // WRSR is taken only right after 0x50 (not after WREN)
  bool needsWriteEnable = true;         // erase/program/WRSR need the write-enable latch

  std::vector<std::uint8_t> eraseOpcodes = {0x60, 0xC7};  // chip-erase opcodes the part accepts
  std::uint32_t eraseMs = 1000;                           // chip-erase busy time, ms
  std::vector<std::uint8_t> programOpcodes = {0x02};      // page-program opcodes
  std::uint32_t programMs = 0;                            // page-program busy time, ms
  std::string note{};                                       // where the values are uncertain
};

// Every part the model knows, grouped by vendor.
const std::vector<FlashProfile>& FlashCatalogue();
// A part by its name ("MX25L1005"), case-insensitive; null when unknown.
const FlashProfile* FindFlashProfile(std::string_view name);
// A part that answers no command: every byte the host reads is idleByte (0xFF or 0x00).
FlashProfile SilentFlashProfile(std::uint8_t idleByte);

}  // namespace simcam
