#pragma once
// The ROM image: a byte-for-byte copy of the camera's 128 KB serial flash. Byte n of the image is
// the byte at flash address n. The image has no header beyond its four-byte signature, no length
// field, no checksum and no trailer.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>

namespace burner {

inline constexpr std::uint32_t kImageSize = 0x20000;  // bytes, flash addresses 0 to 0x1FFFF
inline constexpr std::array<std::uint8_t, 4> kImageSignature = {'Q', 'X', '7', 'M'};

// The flash moves in eight-byte blocks.
inline constexpr std::uint32_t kBlockSize = 8;  // bytes
// The upper 64 KB is reached with the same 16-bit address and the bank flag raised.
inline constexpr std::uint32_t kUpperBankStart = 0x10000;
// The last block that is programmed, verified or exported; the eight bytes at 0x1FFF8 never are.
inline constexpr std::uint32_t kLastBlock = 0x1FFF0;
inline constexpr std::uint32_t kBlockCount = kLastBlock / kBlockSize + 1;  // 16383 blocks

inline constexpr std::uint8_t kErasedByte = 0xFF;

using Block = std::array<std::uint8_t, kBlockSize>;

inline constexpr Block ErasedBlock() {
  Block block{};
  block.fill(kErasedByte);
  return block;
}

// An image counts as loaded unless its first two bytes are both erased: the buffer holds 0xFF
// until a file is loaded.
inline bool ImageIsLoaded(const std::uint8_t* image) {
  return image != nullptr && !(image[0] == kErasedByte && image[1] == kErasedByte);
}

inline bool ImageHasSignature(const std::uint8_t* image) {
  return image != nullptr && std::equal(kImageSignature.begin(), kImageSignature.end(), image);
}

// A block of eight 0xFF bytes is never programmed: the erase has already left it so.
inline bool BlockIsErased(const std::uint8_t* block) {
  return std::all_of(block, block + kBlockSize, [](std::uint8_t b) { return b == kErasedByte; });
}

inline Block BlockAt(const std::uint8_t* image, std::uint32_t offset) {
  Block block{};
  std::copy(image + offset, image + offset + kBlockSize, block.begin());
  return block;
}

// The two bytes of a flash offset that an eight-byte transfer carries; bit 16 travels as the
// bank flag.
inline std::uint8_t OffsetHigh(std::uint32_t offset) { return static_cast<std::uint8_t>((offset >> 8) & 0xFF); }
inline std::uint8_t OffsetLow(std::uint32_t offset) { return static_cast<std::uint8_t>(offset & 0xFF); }

}  // namespace burner
