// The icon group and logo bitmap: their formats checked by reading them back as a loader would.
#include <gtest/gtest.h>

#include <cstring>

#include "resources/flarnex_resources.h"
#include "resources/pictures.h"
#include "resources/png_encoder.h"

namespace {

using flarnex::resources::Crc32;

std::uint32_t LittleEndian(const std::vector<std::uint8_t>& data, size_t at, int bytes) {
  std::uint32_t value = 0;
  for (int i = bytes - 1; i >= 0; --i) value = (value << 8) | data.at(at + static_cast<size_t>(i));
  return value;
}

std::uint32_t BigEndian(const std::vector<std::uint8_t>& data, size_t at) {
  return (std::uint32_t{data.at(at)} << 24) | (std::uint32_t{data.at(at + 1)} << 16) |
         (std::uint32_t{data.at(at + 2)} << 8) | data.at(at + 3);
}

int Stride(int width, int bpp) { return ((width * bpp + 31) / 32) * 4; }

TEST(PicturesTest, IconGroupHoldsThirteenImagesInOrder) {
  struct Expected {
    int size, bpp;
    bool png;
  };
  const Expected kImages[] = {
      {48, 4, false}, {32, 4, false}, {24, 4, false}, {16, 4, false},
      {48, 8, false}, {32, 8, false}, {24, 8, false}, {16, 8, false},
      {256, 32, true},
      {48, 32, false}, {32, 32, false}, {24, 32, false}, {16, 32, false},
  };
  platform::dialog::IconGroup icon = flarnex::resources::BuildMainIcon();
  EXPECT_EQ(icon.id, 128);
  ASSERT_EQ(icon.images.size(), std::size(kImages));
  for (size_t i = 0; i < icon.images.size(); ++i) {
    const auto& image = icon.images[i];
    const Expected& want = kImages[i];
    SCOPED_TRACE(testing::Message() << "image " << i << ": " << want.size << " px " << want.bpp << " bpp");
    EXPECT_EQ(image.width, want.size);
    EXPECT_EQ(image.height, want.size);
    EXPECT_EQ(image.bits_per_pixel, want.bpp);
    EXPECT_EQ(image.png, want.png);
    if (want.png) continue;
    // Header with doubled height, palette, colour bits, AND mask: nothing more, nothing less.
    const auto& dib = image.data;
    EXPECT_EQ(LittleEndian(dib, 0, 4), 40u);
    EXPECT_EQ(LittleEndian(dib, 4, 4), static_cast<std::uint32_t>(want.size));
    EXPECT_EQ(LittleEndian(dib, 8, 4), static_cast<std::uint32_t>(want.size * 2));
    EXPECT_EQ(LittleEndian(dib, 12, 2), 1u);
    EXPECT_EQ(LittleEndian(dib, 14, 2), static_cast<std::uint32_t>(want.bpp));
    EXPECT_EQ(LittleEndian(dib, 16, 4), 0u);  // uncompressed
    size_t palette = want.bpp == 4 ? 16 : want.bpp == 8 ? 256 : 0;
    size_t bits = static_cast<size_t>((Stride(want.size, want.bpp) + Stride(want.size, 1)) * want.size);
    EXPECT_EQ(LittleEndian(dib, 20, 4), bits);
    EXPECT_EQ(dib.size(), 40 + palette * 4 + bits);
  }
}

TEST(PicturesTest, LargeIconIsAValidPngOfTheDrawing) {
  platform::dialog::IconGroup icon = flarnex::resources::BuildMainIcon();
  const std::vector<std::uint8_t>& png = icon.images.at(8).data;
  const std::uint8_t kSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  ASSERT_GE(png.size(), 8u);
  ASSERT_EQ(std::memcmp(png.data(), kSignature, 8), 0);

  // Walk the chunks, checking each CRC, and collect the image data.
  std::vector<std::string> types;
  std::vector<std::uint8_t> idat, ihdr;
  for (size_t at = 8; at < png.size();) {
    std::uint32_t length = BigEndian(png, at);
    std::string type(png.begin() + static_cast<long>(at) + 4, png.begin() + static_cast<long>(at) + 8);
    std::span<const std::uint8_t> typed(png.data() + at + 4, length + 4);
    EXPECT_EQ(BigEndian(png, at + 8 + length), Crc32(typed)) << type;
    auto body = std::vector<std::uint8_t>(png.begin() + static_cast<long>(at) + 8,
                                          png.begin() + static_cast<long>(at + 8 + length));
    if (type == "IHDR") ihdr = body;
    if (type == "IDAT") idat.insert(idat.end(), body.begin(), body.end());
    types.push_back(type);
    at += 12 + length;
  }
  EXPECT_EQ(types, (std::vector<std::string>{"IHDR", "IDAT", "IEND"}));
  ASSERT_EQ(ihdr.size(), 13u);
  EXPECT_EQ(BigEndian(ihdr, 0), 256u);
  EXPECT_EQ(BigEndian(ihdr, 4), 256u);
  EXPECT_EQ(ihdr[8], 8);  // bit depth
  EXPECT_EQ(ihdr[9], 6);  // RGBA

  // Inflate the stored blocks.
  ASSERT_GE(idat.size(), 6u);
  EXPECT_EQ((idat[0] * 256 + idat[1]) % 31, 0);  // zlib header check
  std::vector<std::uint8_t> raw;
  size_t at = 2;
  for (bool last = false; !last;) {
    last = idat.at(at) & 1;
    ASSERT_EQ(idat[at] & 0x06, 0) << "not a stored block";
    size_t length = idat.at(at + 1) | (idat.at(at + 2) << 8);
    size_t inverse = idat.at(at + 3) | (idat.at(at + 4) << 8);
    ASSERT_EQ(length ^ 0xFFFF, inverse);
    raw.insert(raw.end(), idat.begin() + static_cast<long>(at) + 5, idat.begin() + static_cast<long>(at + 5 + length));
    at += 5 + length;
  }
  EXPECT_EQ(BigEndian(idat, at), flarnex::resources::Adler32(raw));

  std::vector<std::uint8_t> drawn = flarnex::resources::DrawIconRgba(256);
  ASSERT_EQ(raw.size(), 256u * (1 + 256 * 4));
  for (size_t row = 0; row < 256; ++row) {
    ASSERT_EQ(raw[row * 1025], 0) << "filter of row " << row;
    ASSERT_EQ(std::memcmp(&raw[row * 1025 + 1], &drawn[row * 1024], 1024), 0) << "row " << row;
  }
}

TEST(PicturesTest, LogoIsAn8BitPalettedDib) {
  platform::dialog::BitmapResource logo = flarnex::resources::BuildLogoBitmap();
  EXPECT_EQ(logo.id, 130);
  EXPECT_EQ(logo.width, 123);
  EXPECT_EQ(logo.height, 32);
  const auto& dib = logo.dib;
  EXPECT_EQ(LittleEndian(dib, 0, 4), 40u);
  EXPECT_EQ(LittleEndian(dib, 4, 4), 123u);
  EXPECT_EQ(LittleEndian(dib, 8, 4), 32u);
  EXPECT_EQ(LittleEndian(dib, 14, 2), 8u);
  EXPECT_EQ(LittleEndian(dib, 16, 4), 0u);    // uncompressed
  EXPECT_EQ(LittleEndian(dib, 32, 4), 256u);  // colours used
  EXPECT_EQ(dib.size(), 40u + 256 * 4 + 124 * 32);  // rows padded to 124 bytes
}

TEST(PicturesTest, PicturesAreFoundInEitherLanguage) {
  flarnex::resources::RegisterFlarnexResources();
  auto& module = platform::dialog::ResourceModule::Get();
  for (WORD language : {platform::dialog::kLangEnglishUS, platform::dialog::kLangChineseSimplified}) {
    module.ForceLanguage(language);
    EXPECT_NE(module.FindIcon(128), nullptr);
    EXPECT_NE(module.FindBitmap(130), nullptr);
  }
  module.ForceLanguage(std::nullopt);
}

}  // namespace
