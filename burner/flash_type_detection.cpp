#include "burner/flash_type_detection.h"

void DetectSFType(BurnerDialogContext&) {}
