#pragma once
// IUnknown and the helpers our COM objects are built from: an exact reference count and a
// process-wide count of live objects, so tests can prove that every path releases what it took.
#include <atomic>
#include <cstddef>
#include <utility>

#include "platform/com/guid.h"
#include "platform/com/hresult.h"
#include "platform/win32/types.h"

struct IUnknown {
  virtual HRESULT QueryInterface(REFIID riid, void** object) = 0;
  virtual ULONG AddRef() = 0;
  virtual ULONG Release() = 0;

 protected:
  virtual ~IUnknown() = default;
};

namespace platform {

// The IID of an interface type: each interface's header names its own, next to its declaration.
// An interface without one leaves the type incomplete, so its use does not compile.
template <class Interface>
struct InterfaceId;
template <>
struct InterfaceId<IUnknown> {
  static constexpr const IID& value = IID_IUnknown;
};

// Number of COM objects of the platform and of device providers alive right now.
std::size_t LiveComObjects();

namespace detail {
void CountObjectCreated();
void CountObjectDestroyed();
}  // namespace detail

// Base of every COM object implementation: starts with one reference (the creator's) and deletes
// the object when the last reference goes.
template <class Derived>
class ComObject {
 public:
  ComObject(const ComObject&) = delete;
  ComObject& operator=(const ComObject&) = delete;

 protected:
  ComObject() { detail::CountObjectCreated(); }
  ~ComObject() { detail::CountObjectDestroyed(); }

  ULONG AddRefImpl() { return refs_.fetch_add(1) + 1; }
  // QueryInterface of an object that implements the listed interfaces; IUnknown answers with the
  // first of them. Success hands out a new reference; otherwise *object is cleared.
  template <class First, class... Rest>
  HRESULT QueryInterfaceImpl(REFIID riid, void** object) {
    if (object == nullptr) return E_POINTER;
    Derived* self = static_cast<Derived*>(this);
    void* found = nullptr;
    if (riid == IID_IUnknown || riid == InterfaceId<First>::value) {
      found = static_cast<First*>(self);
    } else {
      // The first listed interface with this IID.
      (void)((riid == InterfaceId<Rest>::value && (found = static_cast<Rest*>(self), true)) || ...);
    }
    *object = found;
    if (found == nullptr) return E_NOINTERFACE;
    AddRefImpl();
    return S_OK;
  }
  ULONG ReleaseImpl() {
    ULONG left = refs_.fetch_sub(1) - 1;
    if (left == 0) delete static_cast<Derived*>(this);
    return left;
  }

 private:
  std::atomic<ULONG> refs_{1};
};

// Owning interface pointer for platform-internal code and tests.
template <class T>
class ComPtr {
 public:
  ComPtr() = default;
  ComPtr(std::nullptr_t) {}
  // Takes over a reference the caller already owns.
  static ComPtr Adopt(T* raw) {
    ComPtr p;
    p.ptr_ = raw;
    return p;
  }
  // Adds a reference of its own.
  static ComPtr Share(T* raw) {
    if (raw != nullptr) raw->AddRef();
    return Adopt(raw);
  }
  ComPtr(const ComPtr& other) : ptr_(other.ptr_) {
    if (ptr_ != nullptr) ptr_->AddRef();
  }
  ComPtr(ComPtr&& other) noexcept : ptr_(std::exchange(other.ptr_, nullptr)) {}
  ComPtr& operator=(ComPtr other) {
    std::swap(ptr_, other.ptr_);
    return *this;
  }
  ~ComPtr() { Reset(); }

  void Reset() {
    if (ptr_ != nullptr) std::exchange(ptr_, nullptr)->Release();
  }
  T* Get() const { return ptr_; }
  T* operator->() const { return ptr_; }
  explicit operator bool() const { return ptr_ != nullptr; }
  // For out-parameters: releases what is held and hands out the slot.
  T** Put() {
    Reset();
    return &ptr_;
  }
  // Hands the reference to the caller.
  T* Detach() { return std::exchange(ptr_, nullptr); }

 private:
  T* ptr_ = nullptr;
};

}  // namespace platform
