#include "simulated_camera/sample_firmware.h"

#include <algorithm>
#include <array>

namespace simcam {
namespace {

struct VersionBoxRow {
  std::uint8_t chipId;
  FirmwareInfoAddresses addresses;
};
// Where the F/W Version box reads the firmware information, by chip ID.
constexpr std::array kVersionBoxRows = {
    VersionBoxRow{.chipId = 0x16, .addresses = {.base = 0x0FD0, .tag = 0x0153}},
    VersionBoxRow{.chipId = 0x23, .addresses = {.base = 0x1E00, .tag = 0x01F3}},
    VersionBoxRow{.chipId = 0x25, .addresses = {.base = 0x3E00, .tag = 0x01F3}},
    VersionBoxRow{.chipId = 0x32, .addresses = {.base = 0x0FD0, .tag = 0x0153}},
    VersionBoxRow{.chipId = 0x33, .addresses = {.base = 0x1E00, .tag = 0x01F3}},
    VersionBoxRow{.chipId = 0x56, .addresses = {.base = 0x3E00, .tag = 0x01F3}},
    VersionBoxRow{.chipId = 0x70, .addresses = {.base = 0x3E05, .tag = 0x3E00}},
    VersionBoxRow{.chipId = 0x71, .addresses = {.base = 0x3E05, .tag = 0x3E00}},
    VersionBoxRow{.chipId = 0x76, .addresses = {.base = 0x3FD0, .tag = 0x0153}},
    VersionBoxRow{.chipId = 0x83, .addresses = {.base = 0x3E05, .tag = 0x3E00}},
    VersionBoxRow{.chipId = 0x90, .addresses = {.base = 0x3E00, .tag = 0x0150}},
};

constexpr std::uint32_t kSignatureLength = 4;
constexpr std::uint32_t kStringLength = 10;  // bytes of each firmware string
constexpr std::uint32_t kTagLength = 5;
constexpr std::uint32_t kHalf = 0x10000;
// Code-like content fills these stretches; the rest stays erased, as in a real image, so that
// blocks of 0xFF are skipped by the burn.
struct Stretch {
  std::uint32_t begin, end;  // flash offsets, end exclusive
};
constexpr std::array kCodeStretches = {
    Stretch{.begin = 0x00000, .end = 0x06000},
    Stretch{.begin = 0x08000, .end = 0x0A000},
    Stretch{.begin = 0x0C000, .end = 0x0C400},
    Stretch{.begin = 0x10000, .end = 0x16000},
    Stretch{.begin = 0x1F000, .end = 0x1FFF8},
};

void Put(std::vector<std::uint8_t>& image, std::uint32_t at, const std::string& text, std::uint32_t length) {
  for (std::uint32_t i = 0; i < length; ++i) {
    image[(at + i) % kImageSize] = i < text.size() ? static_cast<std::uint8_t>(text[i]) : 0x00;
  }
}

void PutInfo(std::vector<std::uint8_t>& image, const FirmwareInfoAddresses& where, const FirmwareStrings& s) {
  Put(image, where.base, s.first, kStringLength);
  Put(image, where.base + kStringLength, s.second, kStringLength);
  Put(image, where.base + 2 * kStringLength, s.third, kStringLength);
  Put(image, where.tag, s.tag, kTagLength);
}

}  // namespace

bool VersionBoxAddresses(std::uint8_t chipId, FirmwareInfoAddresses* out) {
  for (const VersionBoxRow& row : kVersionBoxRows) {
    if (row.chipId == chipId) {
      if (out != nullptr) *out = row.addresses;
      return true;
    }
  }
  if (out != nullptr) *out = {.base = 0, .tag = 0};
  return false;
}

FirmwareInfoAddresses ExportNameAddresses(std::uint8_t chipId) {
  switch (chipId) {
    case 0x16:
    case 0x25:
      return {.base = 0x3E00, .tag = 0x01F3};
    case 0x23:
    case 0x33:
      return {.base = 0x1E00, .tag = 0x01F3};
    default:
      return {.base = 0x0FD0, .tag = 0x0153};
  }
}

std::uint32_t WriteProtectConfigAddress(std::uint8_t chipId) {
  switch (chipId) {
    case 0x33:
      return 0x000F;
    case 0x32:
    case 0x75:
    case 0x76:
      return 0xC034;
    case 0x16:
      return 0x5834;
    default:
      return 0x8034;
  }
}

std::uint8_t WriteProtectConfigByteFor(std::uint8_t pin, bool activeLow) {
  // Selector 2 drives the pin high, selector 1 drives it low: the level that does not protect.
  constexpr std::uint8_t kDriveHigh = 2;
  constexpr std::uint8_t kDriveLow = 1;
  return static_cast<std::uint8_t>(((pin & 7) << 4) | (activeLow ? kDriveHigh : kDriveLow));
}

std::vector<std::uint8_t> MakeSampleFirmware(std::uint8_t chipId, std::uint8_t wpConfigByte,
                                             const FirmwareStrings& strings) {
  std::vector<std::uint8_t> image(kImageSize, 0xFF);
  // A fixed xorshift sequence, different in each half so that a 64 KB part, which folds the upper
  // half onto the lower, cannot pass a verify by accident.
  std::uint32_t state = 0x2545F491u ^ chipId;
  for (const Stretch& stretch : kCodeStretches) {
    for (std::uint32_t at = stretch.begin; at < stretch.end; ++at) {
      state ^= state << 13;
      state ^= state >> 17;
      state ^= state << 5;
      image[at] = static_cast<std::uint8_t>(state >> (at < kHalf ? 8 : 16));
    }
  }
  std::copy_n("QX7M", kSignatureLength, image.begin());
  FirmwareInfoAddresses box{};
  if (VersionBoxAddresses(chipId, &box)) PutInfo(image, box, strings);
  // The name builder's copy is written last: where the two tables overlap (chip 0x90's tags), the
  // export name must come out whole.
  PutInfo(image, ExportNameAddresses(chipId), strings);
  image[WriteProtectConfigAddress(chipId)] = wpConfigByte;
  return image;
}

}  // namespace simcam
