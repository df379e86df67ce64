#include "burner/camera_discovery.h"

#include <cstdio>

#include "burner/extension_unit_request.h"
#include "platform/com/com_runtime.h"
#include "platform/devices/kernel_streaming.h"
#include "serial_flash/camera_protocol.h"

using burner_detail::SendXuRequest;

namespace {

constexpr int kNodeTries = 2;                       // node ids 1 and 2 when no node is found

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
    IPropertyBag* bag = nullptr;
    bool accepted = false;
    if (SUCCEEDED(moniker->BindToStorage(nullptr, nullptr, IID_IPropertyBag, reinterpret_cast<void**>(&bag))) &&
        bag != nullptr) {
      VARIANT name;
      VariantInit(&name);
      name.vt = VT_BSTR;
      const HRESULT read = bag->Read(L"FriendlyName", &name, nullptr);
      VariantClear(&name);
      if (read == S_OK) {
        // The reference bound before is released here: while discovery runs no request uses it.
        ReleaseAndClear(dlg.m_pFilter);
        if (moniker->BindToObject(nullptr, nullptr, IID_IBaseFilter, reinterpret_cast<void**>(&dlg.m_pFilter)) ==
                S_OK &&
            dlg.m_pFilter != nullptr) {
          for (int attempt = 1; attempt <= kNodeTries && !accepted; ++attempt) {
            if (!FindExtensionUnitNode(dlg)) dlg.m_nodeId = attempt;
            std::uint8_t chipId = 0;  // the acceptance read only; its value is not kept
            accepted = GetChipIDValue(dlg, &chipId) != 0;
          }
        }
        if (!accepted) ReleaseAndClear(dlg.m_pFilter);
      }
    }
    ReleaseAndClear(bag);
    moniker->Release();
    if (accepted) {
      monikers->Release();
      return 0;
    }
  }
  monikers->Release();
  return next;
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
    GUID type = {};
    if (FAILED(topology->get_NodeType(node, &type)) || !(type == KSNODETYPE_DEV_SPECIFIC)) continue;
    IKsControl* control = nullptr;
    if (FAILED(topology->CreateNodeInstance(node, IID_IKsControl, reinterpret_cast<void**>(&control))) ||
        control == nullptr) {
      ReleaseAndClear(control);
      continue;
    }
    const HRESULT probe = SendXuRequest(control, kXuSupportProbeId, kXuSupportProbe, node, nullptr, 0);
    control->Release();
    if (SUCCEEDED(probe)) {
      dlg.m_nodeId = static_cast<std::int32_t>(node);
      topology->Release();
      return true;
    }
  }
  topology->Release();
  return false;
}

int GetChipIDValue(BurnerDialogContext& dlg, std::uint8_t* dest) {
  if (dlg.m_pFilter == nullptr) return 0;
  IKsControl* control = nullptr;
  if (dlg.m_pFilter->QueryInterface(IID_IKsControl, reinterpret_cast<void**>(&control)) != S_OK ||
      control == nullptr) {
    ReleaseAndClear(control);
    return 0;
  }
  const ULONG node = static_cast<ULONG>(dlg.m_nodeId);
  std::uint8_t request[kXuRegisterLength] = {kChipIdRegister & 0xFF, kChipIdRegister >> 8, 0x00, kXuDirectionRead};
  int result = 0;
  if (SendXuRequest(control, kXuControlRegister, kXuSet, node, request, sizeof request) == S_OK) {
    // A refused reply after an accepted request is a failure of its own; the fallback is only
    // for drivers that refuse the extension-unit request itself.
    std::uint8_t reply[kXuRegisterLength] = {};
    if (SendXuRequest(control, kXuControlRegister, kXuGet, node, reply, sizeof reply) == S_OK) {
      *dest = reply[2];
      result = 1;
    }
  } else if (WriteRegisterViaPropertySet(dlg, 0) == S_OK) {
    std::uint32_t value = 0;
    if (ReadRegisterViaPropertySet(dlg, &value) == S_OK) {
      *dest = static_cast<std::uint8_t>(value & 0xFF);
      result = 1;
    }
  }
  control->Release();
  return result;
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
