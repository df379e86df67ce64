#pragma once
// Whole-chip erase of the serial flash, with the command sequence its SF type needs. Requires the
// library's slot 0 open (the write-protect disable leaves it so).
#include <cstdint>
#include <span>

#include "burner/burner_dialog_context.h"

// Identity of the camera's mask ROM, as the caller passes it: model code, one unused byte and
// three version bytes (signed).
struct MaskRomKey {
  char modelCode[4];
  std::uint8_t unused;
  std::int8_t version[3];
};
static_assert(sizeof(MaskRomKey) == 8);

// One known mask ROM: which controller register receives the SF type, and how a key matches.
struct MaskRomRecord {
  char modelCode[4];
  std::uint8_t unused;
  std::uint8_t version[3];           // unsigned, unlike the key's
  std::uint16_t sfTypeRegister;      // controller register that receives m_sfType
  std::uint8_t matchMinimumVersion;  // nonzero: key version[0] >= record's; zero: all three equal
};

// The key every workflow passes: nothing in the system supplies a mask-ROM identity.
inline constexpr MaskRomKey kBlankMaskRomKey = {};

// The known mask ROMs; record 0 is the fallback.
std::span<const MaskRomRecord> MaskRomTable();
// The first record of the table that the key matches, or record 0 (the table must not be empty).
const MaskRomRecord& FindMaskRomRecord(const MaskRomKey& key, std::span<const MaskRomRecord> table);
// Whether the key's mask ROM needs register 0x1040 cleared before the erase.
bool KeyNeedsRegister1040Cleared(const MaskRomKey& key);

// Detects the flash type, writes it to the mask-ROM record's SF-type register ("Write SFType
// Data To Mask Rom Failed!" when refused) and erases the chip.
void EraseFlashChip(const MaskRomKey& key, BurnerDialogContext& dlg,
                    std::span<const MaskRomRecord> table = MaskRomTable());
