#pragma once
// The export of the "Auxiliary Function" tab: reads the whole flash back, eight bytes at a time,
// into a 131072-byte ROM image file named from the firmware information.
#include <filesystem>

#include "burner/burner_dialog_context.h"

// Exports into the process's current directory. 1 when the file holds the flash contents; 0 when
// the flash was not seen idle, a read failed or the file could not be written, and an existing
// file of that name is then kept as it was. A replaced file keeps its permission bits.
// Runs on the export worker after a camera discovery that bound ctx's filter.
int ExportRom(BurnerDialogContext& ctx);
// The same, into the given directory.
int ExportRomToDirectory(BurnerDialogContext& ctx, const std::filesystem::path& directory);
