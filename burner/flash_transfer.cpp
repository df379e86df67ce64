#include "burner/flash_transfer.h"

bool ReadFlash8(BurnerDialogContext&, std::uint8_t, std::uint8_t, std::uint8_t*) { return false; }
bool WriteFlash8(BurnerDialogContext&, const std::uint8_t*, std::uint8_t, std::uint8_t) { return false; }
