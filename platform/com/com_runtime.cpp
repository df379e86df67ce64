#include "platform/com/com_runtime.h"

#include "platform/devices/device_enumerator.h"

namespace {
thread_local int com_init_count = 0;
thread_local int unbalanced_uninit_count = 0;
std::atomic<std::size_t> live_objects{0};
}  // namespace

namespace platform {
std::size_t LiveComObjects() { return live_objects.load(); }
int ComInitCount() { return com_init_count; }
int UnbalancedCoUninitializeCount() { return unbalanced_uninit_count; }

namespace detail {
void CountObjectCreated() { live_objects.fetch_add(1); }
void CountObjectDestroyed() { live_objects.fetch_sub(1); }
}  // namespace detail
}  // namespace platform

HRESULT CoInitialize(void*) { return com_init_count++ == 0 ? S_OK : S_FALSE; }

void CoUninitialize() {
  if (com_init_count == 0) {
    ++unbalanced_uninit_count;
    return;
  }
  --com_init_count;
}

HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD, REFIID riid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (com_init_count == 0) return CO_E_NOTINITIALIZED;
  if (outer != nullptr) return CLASS_E_NOAGGREGATION;
  if (!(clsid == CLSID_SystemDeviceEnum)) return REGDB_E_CLASSNOTREG;
  return platform::CreateSystemDeviceEnumerator(riid, object);
}
