// Owners for COM interfaces and shell memory: each releases or frees exactly
// once.
#pragma once

#include <windows.h>

#include <objbase.h>
#include <shlobj.h>

#include <utility>

namespace tapestrel::platform {

template <typename T>
class ComPtr {
 public:
  ComPtr() = default;
  // Takes over a reference the caller owns.
  explicit ComPtr(T* p) : p_(p) {}
  ComPtr(const ComPtr& o) : p_(o.p_) {
    if (p_) p_->AddRef();
  }
  ComPtr(ComPtr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
  ComPtr& operator=(ComPtr o) noexcept {
    std::swap(p_, o.p_);
    return *this;
  }
  ~ComPtr() { Reset(); }

  T* Get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }
  void Reset() {
    if (p_) std::exchange(p_, nullptr)->Release();
  }
  // For functions that return a new reference through a T**.
  T** Put() {
    Reset();
    return &p_;
  }
  void** PutVoid() { return reinterpret_cast<void**>(Put()); }

 private:
  T* p_ = nullptr;
};

// An item ID list the shell allocated (with the shell's allocator).
class UniqueIdList {
 public:
  UniqueIdList() = default;
  explicit UniqueIdList(LPITEMIDLIST p) : p_(p) {}
  UniqueIdList(const UniqueIdList&) = delete;
  UniqueIdList& operator=(const UniqueIdList&) = delete;
  UniqueIdList(UniqueIdList&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
  UniqueIdList& operator=(UniqueIdList&& o) noexcept {
    if (this != &o) Reset(std::exchange(o.p_, nullptr));
    return *this;
  }
  ~UniqueIdList() { Reset(); }

  LPITEMIDLIST Get() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }
  LPITEMIDLIST Release() { return std::exchange(p_, nullptr); }
  void Reset(LPITEMIDLIST p = nullptr) {
    if (p_) CoTaskMemFree(p_);
    p_ = p;
  }
  LPITEMIDLIST* Put() {
    Reset();
    return &p_;
  }

 private:
  LPITEMIDLIST p_ = nullptr;
};

// The IUnknown of an object of ours that offers one COM interface: counted,
// it deletes itself with its last reference (the first is its maker's).
template <typename Interface, const IID& kInterfaceId>
class ComObject : public Interface {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, kInterfaceId)) {
      *out = static_cast<Interface*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

 protected:
  ComObject() = default;
  virtual ~ComObject() = default;
  ComObject(const ComObject&) = delete;
  ComObject& operator=(const ComObject&) = delete;

 private:
  ULONG references_ = 1;
};

}  // namespace tapestrel::platform
