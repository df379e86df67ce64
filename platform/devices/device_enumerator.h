#pragma once
// Creation of the system device enumerator, for CoCreateInstance.
#include "platform/com/unknown.h"

namespace platform {
HRESULT CreateSystemDeviceEnumerator(REFIID riid, void** object);
}  // namespace platform
