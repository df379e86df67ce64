#pragma once
// A 128 KB firmware image that looks like the camera's own: the "QX7M" signature, deterministic
// code-like content in both halves, the firmware information strings where the burner's readers
// look for them for a chip ID, and the write-protect configuration byte at the chip's address.
#include <cstdint>
#include <string>
#include <vector>

namespace simcam {

inline constexpr std::uint32_t kImageSize = 0x20000;  // bytes

// Fixed-size fields: shorter texts are padded with zero bytes, longer ones cut.
struct FirmwareStrings {
  std::string tag = "FLRX1";          // 5 bytes
  std::string first = "CAM0000001";   // 10 bytes
  std::string second = "0123456789";  // 10 bytes
  std::string third = "1305210102";   // 10 bytes
};

struct FirmwareInfoAddresses {
  std::uint32_t base;  // strings at base, base + 10, base + 20
  std::uint32_t tag;
};
// Where the F/W Version box reads the strings (no row: base 0 and false).
bool VersionBoxAddresses(std::uint8_t chipId, FirmwareInfoAddresses* out);
// Where the export-name builder reads them (always a row).
FirmwareInfoAddresses ExportNameAddresses(std::uint8_t chipId);
// Flash address of the write-protect configuration byte.
std::uint32_t WriteProtectConfigAddress(std::uint8_t chipId);
// The configuration byte that makes the library's disable drive `pin` to its unprotected level.
std::uint8_t WriteProtectConfigByteFor(std::uint8_t pin, bool activeLow);

std::vector<std::uint8_t> MakeSampleFirmware(std::uint8_t chipId, std::uint8_t wpConfigByte,
                                             const FirmwareStrings& strings = {});

}  // namespace simcam
