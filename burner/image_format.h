#pragma once
// The ROM image: a byte-for-byte copy of the camera's 128 KB serial flash. Byte n of the image is
// the byte at flash address n. The image has no header beyond its four-byte signature, no length
// field, no checksum and no trailer. Its size, kImageSize (0x20000), lives with the image buffer
// in burner_globals.h.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>

#include "burner/burner_globals.h"

inline constexpr std::array<std::uint8_t, 4> kImageSignature = {'Q', 'X', '7', 'M'};

// The image moves to and from the flash in eight-byte blocks.
inline constexpr std::uint32_t kImageBlockSize = 8;  // bytes
// The upper 64 KB is reached with the same 16-bit address and the bank flag raised.
inline constexpr std::uint32_t kUpperBankStart = 0x10000;
// The last block that is programmed, verified or exported: the eight bytes at 0x1FFF8 never are,
// so after a burn they read 0xFF whatever the image holds there.
inline constexpr std::uint32_t kLastImageBlock = 0x1FFF0;

inline constexpr std::uint8_t kErasedByte = 0xFF;

using ImageBlock = std::array<std::uint8_t, kImageBlockSize>;

inline constexpr ImageBlock ErasedBlock() {
  ImageBlock block{};
  block.fill(kErasedByte);
  return block;
}

// An image counts as loaded unless its first two bytes are both erased: the buffer holds 0xFF
// until a file is loaded. No buffer at all is no image either.
inline bool ImageIsLoaded(const std::uint8_t* image) {
  return image != nullptr && !(image[0] == kErasedByte && image[1] == kErasedByte);
}

inline bool ImageHasSignature(const std::uint8_t* image) {
  return image != nullptr && std::equal(kImageSignature.begin(), kImageSignature.end(), image);
}

// A block of eight 0xFF bytes is never programmed: the erase has already left it so.
inline bool BlockIsErased(const std::uint8_t* block) {
  return std::all_of(block, block + kImageBlockSize, [](std::uint8_t b) { return b == kErasedByte; });
}

inline ImageBlock ImageBlockAt(const std::uint8_t* image, std::uint32_t offset) {
  ImageBlock block{};
  std::copy(image + offset, image + offset + kImageBlockSize, block.begin());
  return block;
}

// The two bytes of a flash offset that an eight-byte transfer carries; bit 16 travels as the
// bank flag.
inline std::uint8_t OffsetHighByte(std::uint32_t offset) { return static_cast<std::uint8_t>((offset >> 8) & 0xFF); }
inline std::uint8_t OffsetLowByte(std::uint32_t offset) { return static_cast<std::uint8_t>(offset & 0xFF); }
