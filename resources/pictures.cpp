#include "resources/pictures.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "resources/png_encoder.h"
#include "resources/resource.h"

namespace flarnex::resources {
namespace {

using Colour = std::array<std::uint8_t, 4>;  // R, G, B, A

constexpr int kBitmapInfoHeaderSize = 40;  // bytes
constexpr int kLogoWidth = 123;            // pixels
constexpr int kLogoHeight = 32;            // pixels

// The standard 16-colour palette (R, G, B).
constexpr std::array<std::array<std::uint8_t, 3>, 16> kPalette16{{
    {0, 0, 0}, {128, 0, 0}, {0, 128, 0}, {128, 128, 0}, {0, 0, 128}, {128, 0, 128},
    {0, 128, 128}, {192, 192, 192}, {128, 128, 128}, {255, 0, 0}, {0, 255, 0}, {255, 255, 0},
    {0, 0, 255}, {255, 0, 255}, {0, 255, 255}, {255, 255, 255},
}};

// 256 colours: a 6x6x6 colour cube (216) followed by 40 greys.
std::array<std::uint8_t, 3> Palette256(int index) {
  if (index < 216) {
    auto level = [](int v) { return static_cast<std::uint8_t>(v * 51); };
    return {level(index / 36), level((index / 6) % 6), level(index % 6)};
  }
  auto grey = static_cast<std::uint8_t>((index - 216) * 255 / 39);
  return {grey, grey, grey};
}

int NearestIndex(const Colour& colour, int count, auto palette) {
  int best = 0;
  long best_distance = 1L << 30;
  for (int i = 0; i < count; ++i) {
    auto entry = palette(i);
    long distance = 0;
    for (int c = 0; c < 3; ++c) {
      long d = static_cast<long>(colour[c]) - entry[c];
      distance += d * d;
    }
    if (distance < best_distance) best_distance = distance, best = i;
  }
  return best;
}

void PutLittleEndian(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

void PutBitmapInfoHeader(std::vector<std::uint8_t>& out, int width, int height, int bpp,
                         std::uint32_t image_size, std::uint32_t colours_used) {
  PutLittleEndian(out, kBitmapInfoHeaderSize, 4);
  PutLittleEndian(out, static_cast<std::uint32_t>(width), 4);
  PutLittleEndian(out, static_cast<std::uint32_t>(height), 4);
  PutLittleEndian(out, 1, 2);  // planes
  PutLittleEndian(out, static_cast<std::uint32_t>(bpp), 2);
  PutLittleEndian(out, 0, 4);  // BI_RGB, uncompressed
  PutLittleEndian(out, image_size, 4);
  PutLittleEndian(out, 0, 4);  // horizontal resolution
  PutLittleEndian(out, 0, 4);  // vertical resolution
  PutLittleEndian(out, colours_used, 4);
  PutLittleEndian(out, 0, 4);  // all colours important
}

int RowStride(int width, int bpp) { return ((width * bpp + 31) / 32) * 4; }  // bytes

// An icon image as stored in an icon resource: header with doubled height, palette, colour bits
// bottom-up, then the 1-bpp AND mask (1 = transparent).
platform::dialog::IconImage BuildIconDib(int size, int bpp) {
  std::vector<std::uint8_t> rgba = DrawIconRgba(size);
  auto pixel = [&](int x, int y) {
    const std::uint8_t* p = &rgba[(static_cast<std::size_t>(y) * size + x) * 4];
    return Colour{p[0], p[1], p[2], p[3]};
  };
  const int colour_stride = RowStride(size, bpp);
  const int mask_stride = RowStride(size, 1);
  const int palette_size = bpp == 4 ? 16 : bpp == 8 ? 256 : 0;
  auto image_size = static_cast<std::uint32_t>((colour_stride + mask_stride) * size);

  platform::dialog::IconImage image{.width = size, .height = size, .bits_per_pixel = bpp};
  std::vector<std::uint8_t>& out = image.data;
  PutBitmapInfoHeader(out, size, size * 2, bpp, image_size, 0);
  for (int i = 0; i < palette_size; ++i) {
    auto entry = bpp == 4 ? kPalette16[static_cast<std::size_t>(i)] : Palette256(i);
    out.insert(out.end(), {entry[2], entry[1], entry[0], 0});  // B, G, R, reserved
  }
  for (int y = size - 1; y >= 0; --y) {
    std::vector<std::uint8_t> row(static_cast<std::size_t>(colour_stride), 0);
    for (int x = 0; x < size; ++x) {
      Colour c = pixel(x, y);
      switch (bpp) {
        case 4: {
          int index = c[3] < 128 ? 0 : NearestIndex(c, 16, [](int i) { return kPalette16[static_cast<std::size_t>(i)]; });
          row[static_cast<std::size_t>(x / 2)] |= static_cast<std::uint8_t>(x % 2 ? index : index << 4);
          break;
        }
        case 8:
          row[static_cast<std::size_t>(x)] = static_cast<std::uint8_t>(c[3] < 128 ? 0 : NearestIndex(c, 256, Palette256));
          break;
        default:  // 32 bpp: B, G, R, A
          std::copy_n(std::array<std::uint8_t, 4>{c[2], c[1], c[0], c[3]}.begin(), 4, row.begin() + x * 4);
          break;
      }
    }
    out.insert(out.end(), row.begin(), row.end());
  }
  for (int y = size - 1; y >= 0; --y) {
    std::vector<std::uint8_t> row(static_cast<std::size_t>(mask_stride), 0);
    for (int x = 0; x < size; ++x) {
      if (pixel(x, y)[3] < 128) row[static_cast<std::size_t>(x / 8)] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
    }
    out.insert(out.end(), row.begin(), row.end());
  }
  return image;
}

// A 5 x 7 pixel font for the letters of the logo, one row per byte, bit 4 leftmost.
struct Glyph {
  char letter;
  std::array<std::uint8_t, 7> rows;
};
constexpr std::array<Glyph, 7> kGlyphs{{
    {'F', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x10}},
    {'L', {0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x1F}},
    {'A', {0x0E, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11}},
    {'R', {0x1E, 0x11, 0x11, 0x1E, 0x14, 0x12, 0x11}},
    {'N', {0x11, 0x19, 0x15, 0x13, 0x11, 0x11, 0x11}},
    {'E', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x1F}},
    {'X', {0x11, 0x11, 0x0A, 0x04, 0x0A, 0x11, 0x11}},
}};

bool LogoTextPixel(int x, int y) {
  constexpr const char* kText = "FLARNEX";
  constexpr int kScale = 2, kLeft = 40, kTop = 9, kAdvance = 6;  // pixels
  if (x < kLeft || y < kTop) return false;
  int column = (x - kLeft) / kScale, row = (y - kTop) / kScale;
  int letter = column / kAdvance, bit = column % kAdvance;
  if (row >= 7 || letter >= 7 || bit >= 5) return false;
  for (const Glyph& glyph : kGlyphs) {
    if (glyph.letter == kText[letter]) return (glyph.rows[static_cast<std::size_t>(row)] >> (4 - bit)) & 1;
  }
  return false;
}

}  // namespace

std::vector<std::uint8_t> DrawIconRgba(int size) {
  // A blue lens with a white flash chip across its centre, on a transparent background.
  std::vector<std::uint8_t> rgba(static_cast<std::size_t>(size) * size * 4, 0);
  const double centre = (size - 1) / 2.0, radius = size * 0.47;
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      double dx = x - centre, dy = y - centre;
      double distance = std::sqrt(dx * dx + dy * dy);
      Colour c{0, 0, 0, 0};
      if (distance <= radius) {
        auto shade = static_cast<std::uint8_t>(std::clamp(255.0 - 140.0 * distance / radius, 0.0, 255.0));
        c = {0, static_cast<std::uint8_t>(shade / 2), shade, 255};
        bool chip = std::abs(dx) < size * 0.22 && std::abs(dy) < size * 0.14;
        bool pin = std::abs(dy) < size * 0.22 && std::abs(dy) >= size * 0.14 &&
                   std::abs(dx) < size * 0.2 && (x % std::max(2, size / 8)) == 0;
        if (chip || pin) c = {255, 255, 255, 255};
      }
      std::copy(c.begin(), c.end(), rgba.begin() + (static_cast<std::ptrdiff_t>(y) * size + x) * 4);
    }
  }
  return rgba;
}

std::vector<std::uint8_t> DrawLogoRgba(int width, int height) {
  // The icon's lens at the left, the name in white on a blue band to its right.
  std::vector<std::uint8_t> rgba(static_cast<std::size_t>(width) * height * 4);
  std::vector<std::uint8_t> lens = DrawIconRgba(height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      Colour c{255, 255, 255, 255};
      if (x < height) {
        const std::uint8_t* p = &lens[(static_cast<std::size_t>(y) * height + x) * 4];
        if (p[3] != 0) c = {p[0], p[1], p[2], 255};
      } else if (y >= 6 && y < height - 6) {
        c = LogoTextPixel(x, y) ? Colour{255, 255, 255, 255}
                                : Colour{0, 51, static_cast<std::uint8_t>(153 + x % 3), 255};
      }
      std::copy(c.begin(), c.end(), rgba.begin() + (static_cast<std::ptrdiff_t>(y) * width + x) * 4);
    }
  }
  return rgba;
}

platform::dialog::IconGroup BuildMainIcon() {
  constexpr std::array<int, 4> kSmallSizes{48, 32, 24, 16};  // pixels
  constexpr int kLargeSize = 256;                             // pixels
  platform::dialog::IconGroup group{.id = IDR_MAINFRAME,
                                    .language = platform::dialog::kLangChineseSimplified};
  for (int bpp : {4, 8}) {
    for (int size : kSmallSizes) group.images.push_back(BuildIconDib(size, bpp));
  }
  group.images.push_back({.width = kLargeSize, .height = kLargeSize, .bits_per_pixel = 32,
                          .png = true,
                          .data = EncodePngRgba(kLargeSize, kLargeSize, DrawIconRgba(kLargeSize))});
  for (int size : kSmallSizes) group.images.push_back(BuildIconDib(size, 32));
  return group;
}

platform::dialog::BitmapResource BuildLogoBitmap() {
  std::vector<std::uint8_t> rgba = DrawLogoRgba(kLogoWidth, kLogoHeight);
  const int stride = RowStride(kLogoWidth, 8);
  platform::dialog::BitmapResource bitmap{.id = IDB_LOGO,
                                          .language = platform::dialog::kLangChineseSimplified,
                                          .width = kLogoWidth, .height = kLogoHeight,
                                          .bits_per_pixel = 8};
  std::vector<std::uint8_t>& out = bitmap.dib;
  PutBitmapInfoHeader(out, kLogoWidth, kLogoHeight, 8, static_cast<std::uint32_t>(stride * kLogoHeight), 256);
  for (int i = 0; i < 256; ++i) {
    auto entry = Palette256(i);
    out.insert(out.end(), {entry[2], entry[1], entry[0], 0});
  }
  for (int y = kLogoHeight - 1; y >= 0; --y) {  // bottom-up rows
    std::vector<std::uint8_t> row(static_cast<std::size_t>(stride), 0);
    for (int x = 0; x < kLogoWidth; ++x) {
      const std::uint8_t* p = &rgba[(static_cast<std::size_t>(y) * kLogoWidth + x) * 4];
      row[static_cast<std::size_t>(x)] = static_cast<std::uint8_t>(NearestIndex({p[0], p[1], p[2], p[3]}, 256, Palette256));
    }
    out.insert(out.end(), row.begin(), row.end());
  }
  return bitmap;
}

}  // namespace flarnex::resources
