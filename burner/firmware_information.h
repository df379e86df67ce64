#pragma once
// The firmware's identifying text in the flash: three 10-byte strings at base, base + 10 and
// base + 20, and a 5-byte tag, at addresses that depend on the chip ID. Two readers use it, each
// with its own address table: the F/W Version box and the export file name.
#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "burner/burner_dialog_context.h"

struct FirmwareInfoLocation {
  std::uint16_t base;        // flash address of the first string
  std::uint16_t tagAddress;  // flash address of the tag
};

inline constexpr std::uint32_t kFirmwareStringSize = 10;  // bytes
inline constexpr std::uint32_t kFirmwareTagSize = 5;      // bytes

// The four fields as read, not terminated. They start zeroed, so a read that fails leaves zeros.
struct FirmwareFields {
  std::array<std::uint8_t, kFirmwareStringSize> first{};
  std::array<std::uint8_t, kFirmwareStringSize> second{};
  std::array<std::uint8_t, kFirmwareStringSize> third{};
  std::array<std::uint8_t, kFirmwareTagSize> tag{};
};

// Where the F/W Version box reads; no value for a chip ID it does not know.
std::optional<FirmwareInfoLocation> VersionBoxLocation(std::uint8_t chipId);
// Where the export-name builder reads; unknown chip IDs take its default row. The two tables
// disagree for several chip IDs (0x16 among them) and each reader keeps its own.
FirmwareInfoLocation ExportNameLocation(std::uint8_t chipId);

// The box text: tag, CR LF, second string, CR LF, first string, CR LF, third string (41 bytes),
// as 8-bit text up to its first zero byte.
std::string VersionText(const FirmwareFields& fields);
// Composes "<tag0-3>-<second>-<tag4>-V<third0-5>_<third6-7>_<third8-9>-<first>.src". False, with
// name untouched, when a character outside digits, ASCII letters, '-' and '_' would go into it.
bool ComposeExportName(const FirmwareFields& fields, std::string& name);

// The F/W Version button's work: discovery, library open, chip ID, the four reads, library
// close, then the box captioned "Get F/W Version". Runs on the UI thread.
void ShowFirmwareVersion(BurnerDialogContext& ctx);

// 1 with the export file name (no directory) in name, 0 when the library cannot be opened, the
// chip ID cannot be read or the firmware text makes no usable name. The caller then uses
// kDefaultExportName. Opens and closes the library itself.
int BuildExportFileName(BurnerDialogContext& ctx, std::string& name);

inline constexpr const char* kDefaultExportName = "TamelAllRomFile.src";
