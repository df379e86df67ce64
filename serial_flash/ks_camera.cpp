// Finding the camera: device enumeration, the extension-unit node search and the close.
#include <cstring>

#include "platform/com/com_runtime.h"
#include "platform/text/code_page.h"
#include "serial_flash/camera_protocol.h"
#include "serial_flash/ks_transport.h"

namespace {

// Enumeration results.
constexpr int kEnumCameraBound = 0;
constexpr int kEnumNoDevices = 1;
constexpr int kEnumNoneBound = 2;

// Node id used when no device-specific node answers the support probe.
constexpr ULONG kFallbackNodeId = 1;

template <class T>
void ReleaseAndClear(T*& object) {
  if (object != nullptr) {
    object->Release();
    object = nullptr;
  }
}

void ReleaseCamera() { ReleaseAndClear(g_ksTransport.cameraFilter); }

// Copies "DevicePath" into the 8-bit buffer; a path that does not fit is cut and terminated.
void StoreDevicePath(const VARIANT& value) {
  char* path = g_ksTransport.devicePath;
  const wchar_t* text = value.bstrVal != nullptr ? value.bstrVal : L"";
  int written = WideCharToMultiByte(CP_ACP, 0, text, -1, path, static_cast<int>(kKsDevicePathSize), nullptr,
                                    nullptr);
  if (written == 0) path[kKsDevicePathSize - 1] = '\0';
}

// One moniker: property bag, "FriendlyName", filter bound. Returns the "DevicePath" outcome
// when this moniker became the camera, or kEnumNoneBound when it was skipped.
int TryMoniker(IMoniker* moniker) {
  void* raw = nullptr;
  if (FAILED(moniker->BindToStorage(nullptr, nullptr, IID_IPropertyBag, &raw)) || raw == nullptr) {
    return kEnumNoneBound;
  }
  IPropertyBag* bag = static_cast<IPropertyBag*>(raw);
  int result = kEnumNoneBound;
  VARIANT name;
  VariantInit(&name);
  name.vt = VT_BSTR;
  name.bstrVal = nullptr;
  HRESULT nameRead = bag->Read(L"FriendlyName", &name, nullptr);
  VariantClear(&name);
  if (nameRead == S_OK) {
    void* filter = nullptr;
    HRESULT bound = moniker->BindToObject(nullptr, nullptr, IID_IBaseFilter, &filter);
    if (bound == S_OK && filter != nullptr) {
      g_ksTransport.cameraFilter = static_cast<IBaseFilter*>(filter);
      ULONG node = 0;
      g_ksTransport.nodeId = KsFindExtensionUnitNode(&node) ? node : kFallbackNodeId;
      VARIANT path;
      VariantInit(&path);
      path.vt = VT_BSTR;
      path.bstrVal = nullptr;
      HRESULT pathRead = bag->Read(L"DevicePath", &path, nullptr);
      if (pathRead == S_OK) {
        StoreDevicePath(path);
        result = kEnumCameraBound;
      } else {
        // A success code other than S_OK must not pass for result 1 or 2.
        result = SUCCEEDED(pathRead) ? static_cast<int>(E_FAIL) : static_cast<int>(pathRead);
      }
      VariantClear(&path);
    } else if (filter != nullptr) {
      static_cast<IUnknown*>(filter)->Release();
    }
  }
  bag->Release();
  return result;
}

}  // namespace

int KsEnumerateCamera(int) {
  ReleaseCamera();
  CoInitialize(nullptr);  // per thread; its result does not matter here

  void* raw = nullptr;
  if (CoCreateInstance(CLSID_SystemDeviceEnum, nullptr, CLSCTX_INPROC_SERVER, IID_ICreateDevEnum, &raw) != S_OK ||
      raw == nullptr) {
    if (raw != nullptr) static_cast<IUnknown*>(raw)->Release();
    return kEnumNoDevices;
  }
  ICreateDevEnum* deviceEnum = static_cast<ICreateDevEnum*>(raw);
  IEnumMoniker* monikers = nullptr;
  // S_FALSE is the empty category: no video-input device at all.
  HRESULT created = deviceEnum->CreateClassEnumerator(CLSID_VideoInputDeviceCategory, &monikers, 0);
  deviceEnum->Release();
  if (created != S_OK || monikers == nullptr) {
    ReleaseAndClear(monikers);
    return kEnumNoDevices;
  }
  monikers->Reset();

  int result = kEnumNoneBound;
  for (;;) {
    IMoniker* moniker = nullptr;
    ULONG fetched = 0;
    if (monikers->Next(1, &moniker, &fetched) != S_OK || moniker == nullptr) {
      ReleaseAndClear(moniker);
      break;
    }
    result = TryMoniker(moniker);
    moniker->Release();
    if (g_ksTransport.cameraFilter != nullptr) break;
  }
  monikers->Release();
  return g_ksTransport.cameraFilter == nullptr ? kEnumNoneBound : result;
}

int KsOpenResult(int slot) {
  switch (KsEnumerateCamera(slot)) {
    case kEnumCameraBound: return 1;
    case kEnumNoDevices: return 0;
    case kEnumNoneBound: return -1;
    default: return -2;
  }
}

bool KsFindExtensionUnitNode(ULONG* nodeId) {
  IBaseFilter* filter = g_ksTransport.cameraFilter;
  if (filter == nullptr) return false;
  void* raw = nullptr;
  if (filter->QueryInterface(IID_IKsTopologyInfo, &raw) != S_OK || raw == nullptr) {
    if (raw != nullptr) static_cast<IUnknown*>(raw)->Release();
    return false;
  }
  IKsTopologyInfo* topology = static_cast<IKsTopologyInfo*>(raw);
  DWORD count = 0;
  if (FAILED(topology->get_NumNodes(&count))) {
    topology->Release();
    return false;
  }
  for (DWORD i = 0; i < count; ++i) {
    GUID type{};
    if (FAILED(topology->get_NodeType(i, &type)) || !(type == KSNODETYPE_DEV_SPECIFIC)) continue;
    void* node = nullptr;
    if (FAILED(topology->CreateNodeInstance(i, IID_IKsControl, &node)) || node == nullptr) continue;
    IKsControl* control = static_cast<IKsControl*>(node);
    KSP_NODE probe = XuProperty(kXuSupportProbeId, kXuSupportProbe, i);
    ULONG returned = 0;
    // Any success passes the probe, S_FALSE included.
    HRESULT hr = control->KsProperty(&probe.Property, sizeof probe, nullptr, 0, &returned);
    control->Release();
    if (SUCCEEDED(hr)) {
      *nodeId = i;
      topology->Release();
      return true;
    }
  }
  topology->Release();
  return false;
}

bool KsClose() {
  ReleaseCamera();
  CoUninitialize();
  return true;
}

const char* KsGetDevicePath() { return g_ksTransport.devicePath; }

void KsResetTransportForTest() {
  ReleaseCamera();
  g_ksTransport = KsTransportState{};
}
