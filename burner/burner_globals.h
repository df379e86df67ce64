#pragma once
// Process-wide state that the dialog and the workflows share. Nothing guards it: one long
// operation runs at a time.
#include <cstddef>
#include <cstdint>

// Size of a ROM image and of the image buffer.
constexpr std::size_t kImageSize = 0x20000;  // bytes

// The last chip ID read (register 0x101F), zero-extended; 0 until the first successful read.
extern std::int32_t g_chipId;
// Nonzero makes the eight-byte transfers address the upper 64 KB of the flash.
extern std::int32_t g_bankFlag;
// The loaded ROM image (kImageSize bytes), owned by the main dialog; null until it allocates it.
extern std::uint8_t* g_imageBuffer;
