#pragma once
// The burn: puts the loaded image (g_imageBuffer) into the flash. It checks the image, lifts the
// write protection, erases the chip, checks the erase, programs the image in eight-byte blocks,
// verifies every programmed block against the image and restores the protection, showing each
// stage on the dialog's labels and bars and each failure in a message box.
#include "burner/burner_dialog_context.h"

// 1 when the image was burned and verified (a failed protection restore still counts), else 0.
// Runs on the burn worker after a camera discovery that bound ctx's filter.
int BurnRom(BurnerDialogContext& ctx);
