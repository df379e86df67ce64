#pragma once
// Kernel-streaming property requests: the KSP_NODE record, the request flags and the interfaces
// through which a filter's topology nodes are found and addressed.
#include "platform/com/unknown.h"

struct KSPROPERTY {
  GUID Set;
  ULONG Id;
  ULONG Flags;
};
using PKSPROPERTY = KSPROPERTY*;

struct KSP_NODE {
  KSPROPERTY Property;
  ULONG NodeId;
  ULONG Reserved;
};
static_assert(sizeof(KSP_NODE) == 32, "a node property record is 32 bytes");

constexpr ULONG KSPROPERTY_TYPE_GET = 0x00000001;
constexpr ULONG KSPROPERTY_TYPE_SET = 0x00000002;
constexpr ULONG KSPROPERTY_TYPE_SETSUPPORT = 0x00000100;
constexpr ULONG KSPROPERTY_TYPE_TOPOLOGY = 0x10000000;

struct IKsControl : IUnknown {
  virtual HRESULT KsProperty(PKSPROPERTY property, ULONG propertyLength, LPVOID data, ULONG dataLength,
                             ULONG* bytesReturned) = 0;
};

struct IKsTopologyInfo : IUnknown {
  virtual HRESULT get_NumNodes(DWORD* count) = 0;
  virtual HRESULT get_NodeType(DWORD index, GUID* nodeType) = 0;
  virtual HRESULT CreateNodeInstance(DWORD index, REFIID riid, void** object) = 0;
};

struct IKsPropertySet : IUnknown {
  virtual HRESULT Set(REFGUID set, DWORD id, LPVOID instanceData, DWORD instanceLength, LPVOID propertyData,
                      DWORD dataLength) = 0;
  virtual HRESULT Get(REFGUID set, DWORD id, LPVOID instanceData, DWORD instanceLength, LPVOID propertyData,
                      DWORD dataLength, DWORD* bytesReturned) = 0;
  virtual HRESULT QuerySupported(REFGUID set, DWORD id, DWORD* support) = 0;
};

namespace platform {
template <>
struct InterfaceId<IKsControl> {
  static constexpr const IID& value = IID_IKsControl;
};
template <>
struct InterfaceId<IKsTopologyInfo> {
  static constexpr const IID& value = IID_IKsTopologyInfo;
};
template <>
struct InterfaceId<IKsPropertySet> {
  static constexpr const IID& value = IID_IKsPropertySet;
};
}  // namespace platform
