#pragma once
// Lifting and restoring the flash's write protection around the flash workflows. Each opens the
// serial-flash library and leaves it open (the chip erase relies on that), except after a failed
// chip-ID read, which closes it.
#include <cstdint>

#include "burner/burner_dialog_context.h"

// Flash address of the chip's write-protect configuration byte.
std::uint16_t WriteProtectConfigAddress(std::uint8_t chipId);

// 1 when the library's write-protect routine lifted (restored) the protection, else 0. Open and
// chip-ID failures are shown in a message box.
int DisableFlashWriteProtect(BurnerDialogContext& dlg);
int EnableFlashWriteProtect(BurnerDialogContext& dlg);
