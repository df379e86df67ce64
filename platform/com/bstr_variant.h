#pragma once
// BSTR strings and the VARIANT that property bags read into.
#include "platform/com/hresult.h"
#include "platform/win32/types.h"

using OLECHAR = wchar_t;
using LPCOLESTR = const OLECHAR*;
using BSTR = OLECHAR*;
using VARTYPE = USHORT;

constexpr VARTYPE VT_EMPTY = 0;
constexpr VARTYPE VT_I4 = 3;
constexpr VARTYPE VT_BSTR = 8;

struct VARIANT {
  VARTYPE vt;
  union {
    BSTR bstrVal;
    LONG lVal;
  };
};

BSTR SysAllocString(const OLECHAR* text);
void SysFreeString(BSTR text);
UINT SysStringLen(BSTR text);
void VariantInit(VARIANT* variant);
HRESULT VariantClear(VARIANT* variant);

namespace platform {
// BSTRs allocated and not yet freed.
long LiveBstrs();
}  // namespace platform
