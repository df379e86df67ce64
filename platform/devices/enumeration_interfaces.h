#pragma once
// The device-enumeration interfaces: the system device enumerator, monikers for each device and
// the property bag that carries a device's "FriendlyName" and "DevicePath".
#include "platform/com/bstr_variant.h"
#include "platform/com/unknown.h"

struct IErrorLog;
struct IBindCtx;

struct IPropertyBag : IUnknown {
  virtual HRESULT Read(LPCOLESTR propertyName, VARIANT* value, IErrorLog* errorLog) = 0;
  virtual HRESULT Write(LPCOLESTR propertyName, VARIANT* value) = 0;
};

// A capture filter. The tool only asks it for the kernel-streaming interfaces.
struct IBaseFilter : IUnknown {};

struct IMoniker : IUnknown {
  virtual HRESULT BindToObject(IBindCtx* context, IMoniker* left, REFIID riid, void** object) = 0;
  virtual HRESULT BindToStorage(IBindCtx* context, IMoniker* left, REFIID riid, void** object) = 0;
};

struct IEnumMoniker : IUnknown {
  virtual HRESULT Next(ULONG count, IMoniker** monikers, ULONG* fetched) = 0;
  virtual HRESULT Skip(ULONG count) = 0;
  virtual HRESULT Reset() = 0;
};

struct ICreateDevEnum : IUnknown {
  // S_OK with an enumerator; S_FALSE and no enumerator for an empty category.
  virtual HRESULT CreateClassEnumerator(REFCLSID category, IEnumMoniker** enumerator, DWORD flags) = 0;
};

namespace platform {
template <>
struct InterfaceId<IPropertyBag> {
  static constexpr const IID& value = IID_IPropertyBag;
};
template <>
struct InterfaceId<IBaseFilter> {
  static constexpr const IID& value = IID_IBaseFilter;
};
template <>
struct InterfaceId<IMoniker> {
  static constexpr const IID& value = IID_IMoniker;
};
template <>
struct InterfaceId<IEnumMoniker> {
  static constexpr const IID& value = IID_IEnumMoniker;
};
template <>
struct InterfaceId<ICreateDevEnum> {
  static constexpr const IID& value = IID_ICreateDevEnum;
};
}  // namespace platform
