// The IUnknown part of the client's sink objects: one interface besides
// IUnknown, an atomic reference count, deleted by its last Release.
#pragma once

#include <windows.h>

#include <atomic>

template <typename Interface>
class SinkObject : public Interface {
 public:
  explicit SinkObject(REFIID iid) : iid_(iid) {}
  virtual ~SinkObject() = default;
  SinkObject(const SinkObject&) = delete;
  SinkObject& operator=(const SinkObject&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    if (!object) return E_POINTER;
    if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, iid_)) {
      *object = nullptr;
      return E_NOINTERFACE;
    }
    *object = static_cast<Interface*>(this);
    this->AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

 private:
  const IID iid_;
  std::atomic<ULONG> references_{1};
};
