#pragma once
// Small steps that the burn, erase and export loops share.
#include <algorithm>
#include <cstdint>

#include "burner/burner_dialog_context.h"
#include "burner/burner_globals.h"
#include "burner/flash_transfer.h"
#include "burner/image_format.h"

static_assert(kImageBlockSize == kFlashBlockSize, "an image block is one eight-byte transfer");

// A progress bar holds still at its maximum; positions past it are sent as the maximum.
inline int HeldProgress(std::uint32_t position, int max) {
  return static_cast<int>(std::min<std::uint32_t>(position, static_cast<std::uint32_t>(max)));
}

// Reads the block at a 17-bit offset into a buffer preset to 0xFF, raising the bank flag when the
// loop reaches the upper 64 KB. The loops walk upwards from 0, so the flag stays up from there on.
inline bool ReadBlockAt(BurnerDialogContext& ctx, std::uint32_t offset, ImageBlock& block) {
  block = ErasedBlock();
  if (offset == kUpperBankStart) g_bankFlag = 1;
  return ReadFlash8(ctx, OffsetHighByte(offset), OffsetLowByte(offset), block.data());
}
