#pragma once
// Identification of the serial flash by the burner itself, through the library's register entry
// points on the open slot 0. The SF type chooses the chip-erase sequence.
#include <cstdint>

#include "burner/burner_dialog_context.h"

// SF type codes that the detection produces (dlg.m_sfType).
constexpr std::uint8_t kSfTypeDefault = 0;      // nothing matched, or a 0xC8 part
constexpr std::uint8_t kSfTypeMacronix = 1;     // 0xC2
constexpr std::uint8_t kSfTypeNumonyx = 2;      // 0x20, or 0x05/0x10 to 0xAB
constexpr std::uint8_t kSfTypeSst = 3;          // 0xBF to 0x90
constexpr std::uint8_t kSfTypeAtmel15 = 4;      // 0x1F to 0x15
constexpr std::uint8_t kSfTypeAtmel = 5;        // 0x1F to RDID
constexpr std::uint8_t kSfTypeDataFlash = 6;    // status 0x0C/0x1C to 0xD7
constexpr std::uint8_t kSfTypeWinbond = 7;      // 0xEF
constexpr std::uint8_t kSfTypePmc = 8;          // 0x9D
constexpr std::uint8_t kSfTypeAmic = 10;        // 0x37
constexpr std::uint8_t kSfTypeUnlisted = 0xFF;  // unlisted manufacturer with type byte 0x20

// Sets dlg.m_sfType and dlg.m_sfSubType from the flash's answers and programs the controller's
// flash-access set-up registers for that family; leaves host access off.
void DetectSFType(BurnerDialogContext& dlg);
