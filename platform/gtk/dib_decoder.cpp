#include "platform/gtk/dib_decoder.h"

#include <cstdlib>

namespace platform::gtk {
namespace {

constexpr std::size_t kInfoHeaderSize = 40;  // bytes of BITMAPINFOHEADER
constexpr std::uint32_t kBiRgb = 0;          // uncompressed
constexpr int kMaxSide = 4096;               // pixels; larger is not a resource picture

std::uint32_t Read32(std::span<const std::uint8_t> data, std::size_t at) {
  return static_cast<std::uint32_t>(data[at]) | static_cast<std::uint32_t>(data[at + 1]) << 8 |
         static_cast<std::uint32_t>(data[at + 2]) << 16 | static_cast<std::uint32_t>(data[at + 3]) << 24;
}
std::uint16_t Read16(std::span<const std::uint8_t> data, std::size_t at) {
  return static_cast<std::uint16_t>(data[at] | data[at + 1] << 8);
}
std::size_t RowStride(int width, int bpp) {
  return static_cast<std::size_t>((width * bpp + 31) / 32) * 4;
}

}  // namespace

std::optional<RgbaImage> DecodeDib(std::span<const std::uint8_t> dib, bool icon_image) {
  if (dib.size() < kInfoHeaderSize) return std::nullopt;
  const std::uint32_t header_size = Read32(dib, 0);
  if (header_size < kInfoHeaderSize || header_size > dib.size()) return std::nullopt;
  const auto width = static_cast<std::int32_t>(Read32(dib, 4));
  auto height = static_cast<std::int32_t>(Read32(dib, 8));
  const int bpp = Read16(dib, 14);
  const std::uint32_t compression = Read32(dib, 16);
  const std::uint32_t colours_used = Read32(dib, 32);
  if (compression != kBiRgb) return std::nullopt;
  if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 24 && bpp != 32) return std::nullopt;
  const bool top_down = height < 0;
  height = std::abs(height);
  if (icon_image) height /= 2;
  if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) return std::nullopt;

  std::size_t palette_entries = 0;
  if (bpp <= 8) {
    palette_entries = colours_used != 0 ? colours_used : (std::size_t{1} << bpp);
    if (palette_entries > (std::size_t{1} << bpp)) return std::nullopt;
  }
  const std::size_t palette_at = header_size;
  const std::size_t bits_at = palette_at + palette_entries * 4;
  const std::size_t stride = RowStride(width, bpp);
  const std::size_t mask_stride = RowStride(width, 1);
  const std::size_t mask_at = bits_at + stride * static_cast<std::size_t>(height);
  const std::size_t needed = mask_at + (icon_image ? mask_stride * static_cast<std::size_t>(height) : 0);
  if (dib.size() < needed) return std::nullopt;

  RgbaImage image{.width = width, .height = height,
                  .rgba = std::vector<std::uint8_t>(static_cast<std::size_t>(width) * height * 4)};
  bool any_alpha = false;
  for (int row = 0; row < height; ++row) {
    const int y = top_down ? row : height - 1 - row;  // stored row -> picture row
    const std::size_t at = bits_at + stride * static_cast<std::size_t>(row);
    for (int x = 0; x < width; ++x) {
      std::uint8_t* out = &image.rgba[(static_cast<std::size_t>(y) * width + x) * 4];
      if (bpp <= 8) {
        const std::size_t bit = static_cast<std::size_t>(x) * bpp;
        const int shift = 8 - bpp - static_cast<int>(bit % 8);
        const std::size_t index = (dib[at + bit / 8] >> shift) & ((1u << bpp) - 1);
        if (index >= palette_entries) return std::nullopt;
        const std::size_t entry = palette_at + index * 4;  // B, G, R, reserved
        out[0] = dib[entry + 2];
        out[1] = dib[entry + 1];
        out[2] = dib[entry];
        out[3] = 0xFF;
      } else {
        const std::size_t p = at + static_cast<std::size_t>(x) * (bpp / 8);  // B, G, R[, A]
        out[0] = dib[p + 2];
        out[1] = dib[p + 1];
        out[2] = dib[p];
        out[3] = bpp == 32 && icon_image ? dib[p + 3] : 0xFF;
        if (bpp == 32 && icon_image && dib[p + 3] != 0) any_alpha = true;
      }
    }
  }
  if (icon_image && !(bpp == 32 && any_alpha)) {
    // Without an alpha channel of its own, the AND mask says which pixels are transparent.
    for (std::size_t alpha = 3; alpha < image.rgba.size(); alpha += 4) image.rgba[alpha] = 0xFF;
    for (int row = 0; row < height; ++row) {
      const int y = top_down ? row : height - 1 - row;
      const std::size_t at = mask_at + mask_stride * static_cast<std::size_t>(row);
      for (int x = 0; x < width; ++x) {
        const bool transparent = (dib[at + static_cast<std::size_t>(x) / 8] >> (7 - x % 8)) & 1;
        if (transparent) image.rgba[(static_cast<std::size_t>(y) * width + x) * 4 + 3] = 0;
      }
    }
  }
  return image;
}

}  // namespace platform::gtk
