#include "burner/camera_discovery.h"

int FindVideoDevice(BurnerDialogContext&) { return 1; }
bool FindExtensionUnitNode(BurnerDialogContext&) { return false; }
int GetChipIDValue(BurnerDialogContext&, std::uint8_t*) { return 0; }
HRESULT WriteRegisterViaPropertySet(BurnerDialogContext&, std::uint32_t) { return E_NOTIMPL; }
HRESULT ReadRegisterViaPropertySet(BurnerDialogContext&, std::uint32_t*) { return E_NOTIMPL; }
