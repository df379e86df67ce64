#pragma once
// Eight-byte flash reads and writes over the dialog's own extension-unit binding. Address bit 16
// comes from g_bankFlag (burner_globals.h), read when the request is built.
#include <cstddef>
#include <cstdint>

#include "burner/burner_dialog_context.h"

constexpr std::size_t kFlashBlockSize = 8;  // bytes per transfer

// Reads eight flash bytes at ((offsetHigh << 8) | offsetLow) in the bank g_bankFlag selects.
// True with the bytes in dest[0..7]; false leaves dest exactly as it was.
bool ReadFlash8(BurnerDialogContext& dlg, std::uint8_t offsetHigh, std::uint8_t offsetLow, std::uint8_t* dest);
// Sends eight bytes to program at that offset; true when the camera accepted the request. Nothing
// is read back and nothing waits for the programming to finish.
bool WriteFlash8(BurnerDialogContext& dlg, const std::uint8_t* source, std::uint8_t offsetHigh,
                 std::uint8_t offsetLow);
