#include "burner/camera_discovery.h"

#include <cstdio>

#include "burner/extension_unit_request.h"
#include "platform/com/com_runtime.h"
#include "platform/devices/kernel_streaming.h"
#include "serial_flash/camera_protocol.h"

using burner_detail::XuRequestControl;

namespace {

constexpr int kNodeTries = 2;  // node ids 1 and 2 when no node is found

// The fallback register buffer: ten little-endian 32-bit words.
constexpr DWORD kFallbackBufferSize = 40;  // bytes
constexpr int kFallbackWordOperation = 5;
constexpr int kFallbackWordAddress = 6;
constexpr int kFallbackWordValue = 7;
constexpr std::uint32_t kFallbackOperationWrite = 2;
constexpr std::uint32_t kFallbackOperationRead = 1;
constexpr DWORD kFallbackPropertyId = 0;

struct FallbackBuffer {
  std::uint8_t bytes[kFallbackBufferSize] = {};

  void SetWord(int index, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[index * 4 + i] = static_cast<std::uint8_t>(value >> (8 * i));
  }
  std::uint32_t Word(int index) const {
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i) value |= static_cast<std::uint32_t>(bytes[index * 4 + i]) << (8 * i);
    return value;
  }
};

template <class T>
void ReleaseAndClear(T*& object) {
  if (object != nullptr) {
    object->Release();
    object = nullptr;
  }
}

// A device-specific node whose own IKsControl passes the support probe; any success passes,
// S_FALSE included.
bool IsExtensionUnitNode(IKsTopologyInfo* topology, DWORD node) {
  GUID type = {};
  if (FAILED(topology->get_NodeType(node, &type)) || !(type == KSNODETYPE_DEV_SPECIFIC)) return false;
  IKsControl* instance = nullptr;
  if (FAILED(topology->CreateNodeInstance(node, IID_IKsControl, reinterpret_cast<void**>(&instance))) ||
      instance == nullptr) {
    ReleaseAndClear(instance);
    return false;
  }
  const XuRequestControl control(instance, node);
  return SUCCEEDED(control.Send(kXuSupportProbeId, kXuSupportProbe, nullptr, 0));
}

IKsPropertySet* QueryPropertySet(BurnerDialogContext& dlg, HRESULT& status) {
  IKsPropertySet* set = nullptr;
  status = dlg.m_pFilter == nullptr ? E_POINTER
                                    : dlg.m_pFilter->QueryInterface(IID_IKsPropertySet, reinterpret_cast<void**>(&set));
  if (status != S_OK) ReleaseAndClear(set);
  return set;
}

}  // namespace

int FindVideoDevice(BurnerDialogContext& dlg) {
  // COM stays initialised: the filter bound here is used on this thread and by the workers.
  CoInitialize(nullptr);

  ICreateDevEnum* devEnum = nullptr;
  if (CoCreateInstance(CLSID_SystemDeviceEnum, nullptr, CLSCTX_INPROC_SERVER, IID_ICreateDevEnum,
                       reinterpret_cast<void**>(&devEnum)) != S_OK) {
    ReleaseAndClear(devEnum);
    std::fputs("No devices found in the device list.", stdout);
    return 1;
  }
  IEnumMoniker* monikers = nullptr;
  const HRESULT category = devEnum->CreateClassEnumerator(CLSID_VideoInputDeviceCategory, &monikers, 0);
  devEnum->Release();
  if (category != S_OK || monikers == nullptr) {
    ReleaseAndClear(monikers);
    std::fputs("There are no VideoInputDevice devices available", stdout);
    return 1;
  }

  monikers->Reset();
  HRESULT next = S_OK;
  for (;;) {
    IMoniker* moniker = nullptr;
    next = monikers->Next(1, &moniker, nullptr);
    if (next != S_OK) {
      ReleaseAndClear(moniker);
      break;
    }
    const bool accepted = TryVideoDevice(dlg, moniker);
    moniker->Release();
    if (accepted) {
      monikers->Release();
      return 0;
    }
  }
  monikers->Release();
  return next;
}

bool TryVideoDevice(BurnerDialogContext& dlg, IMoniker* moniker) {
  IPropertyBag* bag = nullptr;
  if (FAILED(moniker->BindToStorage(nullptr, nullptr, IID_IPropertyBag, reinterpret_cast<void**>(&bag))) ||
      bag == nullptr) {
    ReleaseAndClear(bag);
    return false;
  }
  VARIANT name;
  VariantInit(&name);
  name.vt = VT_BSTR;
  const HRESULT read = bag->Read(L"FriendlyName", &name, nullptr);
  VariantClear(&name);
  bool accepted = false;
  if (read == S_OK) {
    // The reference bound before is released here: while discovery runs no request uses it.
    ReleaseAndClear(dlg.m_pFilter);
    if (moniker->BindToObject(nullptr, nullptr, IID_IBaseFilter, reinterpret_cast<void**>(&dlg.m_pFilter)) == S_OK &&
        dlg.m_pFilter != nullptr) {
      for (int attempt = 1; attempt <= kNodeTries && !accepted; ++attempt) {
        if (!FindExtensionUnitNode(dlg)) dlg.m_nodeId = attempt;
        std::uint8_t chipId = 0;  // the acceptance read only; its value is not kept
        accepted = GetChipIDValue(dlg, &chipId) != 0;
      }
    }
    if (!accepted) ReleaseAndClear(dlg.m_pFilter);
  }
  bag->Release();
  return accepted;
}

bool FindExtensionUnitNode(BurnerDialogContext& dlg) {
  if (dlg.m_pFilter == nullptr) return false;
  IKsTopologyInfo* topology = nullptr;
  if (dlg.m_pFilter->QueryInterface(IID_IKsTopologyInfo, reinterpret_cast<void**>(&topology)) != S_OK ||
      topology == nullptr) {
    ReleaseAndClear(topology);
    return false;
  }
  DWORD count = 0;
  if (FAILED(topology->get_NumNodes(&count))) {
    topology->Release();
    return false;
  }
  for (DWORD node = 0; node < count; ++node) {
    if (IsExtensionUnitNode(topology, node)) {
      dlg.m_nodeId = static_cast<std::int32_t>(node);
      topology->Release();
      return true;
    }
  }
  topology->Release();
  return false;
}

int GetChipIDValue(BurnerDialogContext& dlg, std::uint8_t* dest) {
  // Held until the fallback is done too, as the request sequence always was.
  const XuRequestControl control(dlg);
  if (!control) return 0;
  std::uint8_t request[kXuRegisterLength] = {kChipIdRegister & 0xFF, kChipIdRegister >> 8, 0x00, kXuDirectionRead};
  if (control.Send(kXuControlRegister, kXuSet, request, sizeof request) == S_OK) {
    // A refused reply after an accepted request is a failure of its own; the fallback is only
    // for drivers that refuse the extension-unit request itself.
    std::uint8_t reply[kXuRegisterLength] = {};
    if (control.Send(kXuControlRegister, kXuGet, reply, sizeof reply) != S_OK) return 0;
    *dest = reply[2];
    return 1;
  }
  if (WriteRegisterViaPropertySet(dlg, 0) != S_OK) return 0;
  std::uint32_t value = 0;
  if (ReadRegisterViaPropertySet(dlg, &value) != S_OK) return 0;
  *dest = static_cast<std::uint8_t>(value & 0xFF);
  return 1;
}

HRESULT WriteRegisterViaPropertySet(BurnerDialogContext& dlg, std::uint32_t value) {
  HRESULT status = S_OK;
  IKsPropertySet* set = QueryPropertySet(dlg, status);
  if (set == nullptr) return status;
  FallbackBuffer buffer;
  buffer.SetWord(kFallbackWordOperation, kFallbackOperationWrite);
  buffer.SetWord(kFallbackWordAddress, kChipIdRegister);
  buffer.SetWord(kFallbackWordValue, value);
  status = set->Set(PROPSETID_REGISTER_FALLBACK_A, kFallbackPropertyId, buffer.bytes, kFallbackBufferSize,
                    buffer.bytes, kFallbackBufferSize);
  if (status != S_OK) {
    status = set->Set(PROPSETID_REGISTER_FALLBACK_B, kFallbackPropertyId, buffer.bytes, kFallbackBufferSize,
                      buffer.bytes, kFallbackBufferSize);
  }
  set->Release();
  return status;
}

HRESULT ReadRegisterViaPropertySet(BurnerDialogContext& dlg, std::uint32_t* dest) {
  HRESULT status = S_OK;
  IKsPropertySet* set = QueryPropertySet(dlg, status);
  if (set == nullptr) return status;
  // The read names no register: it answers for the one the preceding write named.
  FallbackBuffer buffer;
  buffer.SetWord(kFallbackWordOperation, kFallbackOperationRead);
  DWORD returned = 0;
  status = set->Get(PROPSETID_REGISTER_FALLBACK_A, kFallbackPropertyId, buffer.bytes, kFallbackBufferSize,
                    buffer.bytes, kFallbackBufferSize, &returned);
  if (status != S_OK) {
    status = set->Get(PROPSETID_REGISTER_FALLBACK_B, kFallbackPropertyId, buffer.bytes, kFallbackBufferSize,
                      buffer.bytes, kFallbackBufferSize, &returned);
  }
  if (status == S_OK) *dest = buffer.Word(kFallbackWordValue);
  set->Release();
  return status;
}
