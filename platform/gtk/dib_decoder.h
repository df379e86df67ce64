#pragma once
// Decoding of the device-independent bitmaps that the resources hold (the logo bitmap and the
// images of an icon group) into 8-bit RGBA rows, top row first, for display.
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace platform::gtk {

struct RgbaImage {
  int width = 0;   // pixels
  int height = 0;  // pixels
  std::vector<std::uint8_t> rgba;  // width * height * 4 bytes
};

// An uncompressed DIB (BITMAPINFOHEADER, palette, bits) of 1, 4, 8, 24 or 32 bits per pixel.
// For an icon image the header's height is doubled and a 1-bit AND mask follows the colour bits
// (1 = transparent). Nullopt for a truncated or unsupported bitmap.
std::optional<RgbaImage> DecodeDib(std::span<const std::uint8_t> dib, bool icon_image);

}  // namespace platform::gtk
