#pragma once
// The erase of the "Auxiliary Function" tab: lifts the write protection, erases the whole flash
// and checks that every block reads erased. The protection stays lifted afterwards.
#include "burner/burner_dialog_context.h"

// 1 when the flash was seen idle after the erase and every block up to 0x1FFF0 then reads eight
// 0xFF bytes, else 0.
// Runs on the erase worker after a camera discovery that bound ctx's filter.
int EraseFlash(BurnerDialogContext& ctx);
