#include <algorithm>
#include <cctype>

#include "simulated_camera/flash_profile.h"

namespace simcam {
namespace {

constexpr std::uint32_t k64K = 0x10000;   // bytes
constexpr std::uint32_t k128K = 0x20000;  // bytes
constexpr std::uint32_t k512K = 0x80000;  // bytes

// Answers follow the parts' datasheets as far as they are known here; a `note` marks the values
// that are plausible choices rather than datasheet facts. Parts without a JEDEC identification
// leave jedecId empty and answer 0x9F with the idle bus.
const std::vector<FlashProfile>& Catalogue() {
  static const std::vector<FlashProfile> parts = {
      // Macronix
      {.name = "MX25L1005", .size = k128K, .jedecId = {0xC2, 0x20, 0x11}, .id90 = {0xC2, 0x10}, .idAB = {0x10},
       .eraseMs = 1500},
      {.name = "MX25L512", .size = k64K, .jedecId = {0xC2, 0x20, 0x10}, .id90 = {0xC2, 0x05}, .idAB = {0x05},
       .eraseMs = 1000},
      {.name = "MX25L1021E", .size = k128K, .jedecId = {0xC2, 0x22, 0x11}, .id90 = {0xC2, 0x10}, .idAB = {0x10},
       .eraseMs = 1500, .note = "memory type 0x22 part; answers to 0x90/0xAB assumed"},
      {.name = "MX25L5121E", .size = k64K, .jedecId = {0xC2, 0x22, 0x10}, .id90 = {0xC2, 0x05}, .idAB = {0x05},
       .eraseMs = 1000, .note = "memory type 0x22 part; answers to 0x90/0xAB assumed"},
      {.name = "MX25L512-REMS", .size = k64K, .id90 = {0xC2, 0x05}, .idAB = {0x05}, .eraseMs = 1000,
       .note = "an early part without 0x9F, found through 0x90 (plausible, not a datasheet)"},
      // ST / Numonyx
      {.name = "M25P05A", .size = k64K, .jedecId = {0x20, 0x20, 0x10}, .idAB = {0x05}, .eraseOpcodes = {0xC7},
       .eraseMs = 2500},
      {.name = "M25P10A", .size = k128K, .jedecId = {0x20, 0x20, 0x11}, .idAB = {0x10}, .eraseOpcodes = {0xC7},
       .eraseMs = 2500},
      // Winbond
      {.name = "W25X05", .size = k64K, .jedecId = {0xEF, 0x30, 0x10}, .id90 = {0xEF, 0x05}, .idAB = {0x05},
       .protectBits = 0x1C, .eraseMs = 1000},
      {.name = "W25X10", .size = k128K, .jedecId = {0xEF, 0x30, 0x11}, .id90 = {0xEF, 0x10}, .idAB = {0x10},
       .protectBits = 0x1C, .eraseMs = 1500},
      {.name = "W25P10", .size = k128K, .id90 = {0xEF, 0x10}, .idAB = {0x10}, .eraseMs = 1500,
       .note = "older part found through 0x90 only; answers assumed"},
      // PMC (Chingis)
      {.name = "Pm25LV512", .size = k64K, .jedecId = {0x7F, 0x9D, 0x7B}, .idAB = {0x9D, 0x7B},
       .eraseOpcodes = {0xC7}, .eraseMs = 800},
      {.name = "Pm25LV010", .size = k128K, .jedecId = {0x7F, 0x9D, 0x7C}, .idAB = {0x9D, 0x7C},
       .eraseOpcodes = {0xC7}, .eraseMs = 800},
      {.name = "Pm25LV010-RES", .size = k128K, .idAB = {0x9D, 0x7C}, .eraseOpcodes = {0xC7}, .eraseMs = 800,
       .note = "a lot without 0x9F, identified through 0xAB only (plausible)"},
      {.name = "Pm25LD512", .size = k64K, .jedecId = {0x7F, 0x9D, 0x20, 0x10}, .idAB = {0x9D, 0x05},
       .eraseOpcodes = {0xC7}, .eraseMs = 800, .note = "device bytes 0x20 0x10 assumed"},
      // SST: no JEDEC identification; 0x50 must come right before a status write; power-up protected.
      {.name = "SST25VF512", .size = k64K, .id90 = {0xBF, 0x48}, .idAB = {0xBF, 0x48}, .needsEwsr = true,
       .eraseOpcodes = {0x60}, .eraseMs = 100, .programOpcodes = {0x02, 0xAF},
       .note = "byte program 0x02 and auto-increment 0xAF are both modelled as page program"},
      {.name = "SST25VF010", .size = k128K, .id90 = {0xBF, 0x49}, .idAB = {0xBF, 0x49}, .needsEwsr = true,
       .eraseOpcodes = {0x60}, .eraseMs = 100, .programOpcodes = {0x02, 0xAF},
       .note = "byte program 0x02 and auto-increment 0xAF are both modelled as page program"},
      // Atmel / Adesto
      {.name = "AT25F512A", .size = k64K, .id15 = {0x1F, 0x65}, .protectBits = 0x04, .eraseOpcodes = {0x62},
       .eraseMs = 2000, .note = "status lock bit is WPEN; one block-protect bit assumed"},
      {.name = "AT25F1024A", .size = k128K, .id15 = {0x1F, 0x60}, .eraseOpcodes = {0x62}, .eraseMs = 2500,
       .note = "status lock bit is WPEN"},
      {.name = "AT25DF512C", .size = k64K, .jedecId = {0x1F, 0x65, 0x01, 0x00}, .eraseMs = 1000,
       .note = "status bits modelled as BP/lock; the real part has sector protection registers"},
      {.name = "AT26F004", .size = k512K, .jedecId = {0x1F, 0x66, 0x04}, .eraseMs = 3000,
       .note = "answer 1F 66 04 assumed for this family"},
      {.name = "AT45DB011", .size = k128K, .statusD7 = {0x0C}, .idleByte = 0x00, .protectBits = 0x00,
       .lockBit = 0x00, .needsWriteEnable = false, .eraseOpcodes = {0x60}, .eraseMs = 1000,
       .note = "DataFlash without 0x9F; the controller's DataFlash adapter is assumed to take 0x05, "
               "0x60 and 0x02 like a 25-series part; 0xD7 answers the density bits without the ready bit"},
      // GigaDevice
      {.name = "GD25Q512", .size = k64K, .jedecId = {0xC8, 0x40, 0x10}, .id90 = {0xC8, 0x05}, .idAB = {0x05},
       .protectBits = 0x7C, .eraseMs = 1000},
      {.name = "GD25Q10", .size = k128K, .jedecId = {0xC8, 0x40, 0x11}, .id90 = {0xC8, 0x10}, .idAB = {0x10},
       .protectBits = 0x7C, .eraseMs = 1500},
      // AMIC
      {.name = "A25L512", .size = k64K, .jedecId = {0x37, 0x30, 0x10}, .id90 = {0x37, 0x05}, .idAB = {0x05},
       .eraseMs = 1000},
      {.name = "A25L010", .size = k128K, .jedecId = {0x37, 0x30, 0x11}, .id90 = {0x37, 0x10}, .idAB = {0x10},
       .eraseMs = 1500},
      // ESMT
      {.name = "F25L05PA", .size = k64K, .jedecId = {0x8C, 0x30, 0x10}, .id90 = {0x8C, 0x05}, .idAB = {0x05},
       .eraseMs = 1000, .note = "0x90/0xAB answers assumed"},
      // Fudan
      {.name = "FM25F005", .size = k64K, .jedecId = {0xA1, 0x31, 0x10}, .id90 = {0xA1, 0x05}, .idAB = {0x05},
       .eraseMs = 1000, .note = "0x90/0xAB answers assumed"},
      // EON
      {.name = "EN25P05", .size = k64K, .jedecId = {0x1C, 0x20, 0x10}, .id90 = {0x1C, 0x05}, .idAB = {0x05},
       .eraseMs = 1000},
      {.name = "EN25P10", .size = k128K, .jedecId = {0x1C, 0x20, 0x11}, .id90 = {0x1C, 0x10}, .idAB = {0x10},
       .eraseMs = 1500},
      {.name = "EN25P40", .size = k512K, .jedecId = {0x1C, 0x20, 0x13}, .id90 = {0x1C, 0x12}, .idAB = {0x12},
       .eraseMs = 4000, .note = "a larger part fitted in place of a 1 Mbit one"},
  };
  return parts;
}

bool SameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

}  // namespace

const std::vector<FlashProfile>& FlashCatalogue() { return Catalogue(); }

const FlashProfile* FindFlashProfile(std::string_view name) {
  for (const FlashProfile& part : Catalogue()) {
    if (SameName(part.name, name)) return &part;
  }
  return nullptr;
}

FlashProfile SilentFlashProfile(std::uint8_t idleByte) {
  return FlashProfile{.name = idleByte == 0x00 ? "silent-00" : "silent-FF",
                      .size = k128K,
                      .idleByte = idleByte,
                      .note = "no part answering: the bus reads its idle level"};
}

}  // namespace simcam
