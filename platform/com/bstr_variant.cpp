#include "platform/com/bstr_variant.h"

#include <atomic>
#include <cstring>
#include <cwchar>
#include <new>

namespace {
std::atomic<long> live_bstrs{0};

// A BSTR carries its length in front of the characters, as the platform's does.
struct BstrHeader {
  UINT length;
};
}  // namespace

namespace platform {
long LiveBstrs() { return live_bstrs.load(); }
}  // namespace platform

BSTR SysAllocString(const OLECHAR* text) {
  if (text == nullptr) return nullptr;
  std::size_t length = std::wcslen(text);
  void* block = ::operator new(sizeof(BstrHeader) + (length + 1) * sizeof(OLECHAR), std::nothrow);
  if (block == nullptr) return nullptr;
  auto* header = static_cast<BstrHeader*>(block);
  header->length = static_cast<UINT>(length);
  auto* chars = reinterpret_cast<OLECHAR*>(header + 1);
  std::wmemcpy(chars, text, length + 1);
  live_bstrs.fetch_add(1);
  return chars;
}

void SysFreeString(BSTR text) {
  if (text == nullptr) return;
  live_bstrs.fetch_sub(1);
  ::operator delete(reinterpret_cast<BstrHeader*>(text) - 1);
}

UINT SysStringLen(BSTR text) { return text == nullptr ? 0 : (reinterpret_cast<BstrHeader*>(text) - 1)->length; }

void VariantInit(VARIANT* variant) {
  variant->vt = VT_EMPTY;
  variant->bstrVal = nullptr;
}

HRESULT VariantClear(VARIANT* variant) {
  if (variant == nullptr) return E_INVALIDARG;
  if (variant->vt == VT_BSTR) SysFreeString(variant->bstrVal);
  variant->vt = VT_EMPTY;
  variant->bstrVal = nullptr;
  return S_OK;
}
