#pragma once
// The tool's icon group 128 and logo bitmap 130, drawn by code at start time.
#include <cstdint>
#include <vector>

#include "platform/dialog/resource_module.h"

namespace flarnex::resources {

// Pixel art as 8-bit RGBA, rows top to bottom.
std::vector<std::uint8_t> DrawIconRgba(int size);
std::vector<std::uint8_t> DrawLogoRgba(int width, int height);

// Thirteen images: 48, 32, 24, 16 px at 4 bpp, the same at 8 bpp, 256 px at 32 bpp as PNG, and
// 48, 32, 24, 16 px at 32 bpp.
platform::dialog::IconGroup BuildMainIcon();
// 123 x 32 pixels, 8 bpp with a 256-colour palette, uncompressed.
platform::dialog::BitmapResource BuildLogoBitmap();

}  // namespace flarnex::resources
