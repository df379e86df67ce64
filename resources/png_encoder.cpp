#include "resources/png_encoder.h"

#include <algorithm>
#include <array>

namespace flarnex::resources {
namespace {

constexpr std::array<std::uint8_t, 8> kPngSignature{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr std::size_t kMaxStoredBlock = 65535;  // bytes, the limit of a stored deflate block
constexpr std::uint8_t kColourTypeRgba = 6;

void PutBigEndian32(std::vector<std::uint8_t>& out, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(value >> shift));
}

void PutChunk(std::vector<std::uint8_t>& out, const char type[4], std::span<const std::uint8_t> data) {
  PutBigEndian32(out, static_cast<std::uint32_t>(data.size()));
  std::size_t crc_start = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  PutBigEndian32(out, Crc32(std::span(out).subspan(crc_start)));
}

}  // namespace

std::uint32_t Crc32(std::span<const std::uint8_t> bytes) {
  std::uint32_t crc = 0xFFFFFFFFu;
  for (std::uint8_t byte : bytes) {
    crc ^= byte;
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return crc ^ 0xFFFFFFFFu;
}

std::uint32_t Adler32(std::span<const std::uint8_t> bytes) {
  constexpr std::uint32_t kModulus = 65521;
  std::uint32_t a = 1, b = 0;
  for (std::uint8_t byte : bytes) {
    a = (a + byte) % kModulus;
    b = (b + a) % kModulus;
  }
  return (b << 16) | a;
}

std::vector<std::uint8_t> EncodePngRgba(int width, int height, std::span<const std::uint8_t> rgba) {
  // Raw scanlines: filter type 0 (none) before each row.
  const std::size_t row_bytes = static_cast<std::size_t>(width) * 4;
  std::vector<std::uint8_t> raw;
  raw.reserve((row_bytes + 1) * static_cast<std::size_t>(height));
  for (int y = 0; y < height; ++y) {
    raw.push_back(0);
    auto row = rgba.subspan(static_cast<std::size_t>(y) * row_bytes, row_bytes);
    raw.insert(raw.end(), row.begin(), row.end());
  }

  std::vector<std::uint8_t> zlib{0x78, 0x01};  // deflate, 32 KB window, no dictionary
  for (std::size_t offset = 0; offset < raw.size() || offset == 0; offset += kMaxStoredBlock) {
    std::size_t length = std::min(kMaxStoredBlock, raw.size() - offset);
    bool last = offset + length >= raw.size();
    zlib.push_back(last ? 1 : 0);  // BFINAL, BTYPE 00 (stored)
    zlib.push_back(static_cast<std::uint8_t>(length));
    zlib.push_back(static_cast<std::uint8_t>(length >> 8));
    zlib.push_back(static_cast<std::uint8_t>(~length));
    zlib.push_back(static_cast<std::uint8_t>(~length >> 8));
    zlib.insert(zlib.end(), raw.begin() + static_cast<std::ptrdiff_t>(offset),
                raw.begin() + static_cast<std::ptrdiff_t>(offset + length));
    if (last) break;
  }
  PutBigEndian32(zlib, Adler32(raw));

  std::vector<std::uint8_t> header;
  PutBigEndian32(header, static_cast<std::uint32_t>(width));
  PutBigEndian32(header, static_cast<std::uint32_t>(height));
  header.insert(header.end(), {8, kColourTypeRgba, 0, 0, 0});  // depth, colour, deflate, filter, no interlace

  std::vector<std::uint8_t> png(kPngSignature.begin(), kPngSignature.end());
  PutChunk(png, "IHDR", header);
  PutChunk(png, "IDAT", zlib);
  PutChunk(png, "IEND", {});
  return png;
}

}  // namespace flarnex::resources
