#pragma once
// A minimal PNG encoder for 8-bit RGBA images: the zlib stream uses stored (uncompressed) deflate
// blocks, so no compression library is needed.
#include <cstdint>
#include <span>
#include <vector>

namespace flarnex::resources {

std::uint32_t Crc32(std::span<const std::uint8_t> bytes);
std::uint32_t Adler32(std::span<const std::uint8_t> bytes);

// rgba holds width * height pixels, rows top to bottom, 4 bytes each (R, G, B, A).
std::vector<std::uint8_t> EncodePngRgba(int width, int height, std::span<const std::uint8_t> rgba);

}  // namespace flarnex::resources
