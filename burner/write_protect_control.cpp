#include "burner/write_protect_control.h"

std::uint16_t WriteProtectConfigAddress(std::uint8_t) { return 0x8034; }
int DisableFlashWriteProtect(BurnerDialogContext&) { return 0; }
int EnableFlashWriteProtect(BurnerDialogContext&) { return 0; }
