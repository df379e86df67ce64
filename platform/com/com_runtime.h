#pragma once
// COM initialisation per thread and object creation.
#include "platform/com/unknown.h"

constexpr DWORD CLSCTX_INPROC_SERVER = 0x1;

// S_OK on the first call of a thread, S_FALSE on every further call; each call must be matched by
// one CoUninitialize on the same thread.
HRESULT CoInitialize(void* reserved);
void CoUninitialize();
// Creates the system device enumerator (the only class this platform serves). Requires COM to be
// initialised on the calling thread.
HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID riid, void** object);

namespace platform {
// How many CoInitialize calls of the calling thread are not yet matched by CoUninitialize.
int ComInitCount();
// CoUninitialize calls the calling thread made with nothing left to uninitialise.
int UnbalancedCoUninitializeCount();
}  // namespace platform
