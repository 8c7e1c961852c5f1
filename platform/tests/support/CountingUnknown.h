// A stack object behind IUnknown that only counts its references, so tests can
// see what AddRef's and Releases it.
#pragma once

#include "platform/unknown.h"

class CountingUnknown : public IUnknown {
 public:
  HRESULT QueryInterface(REFIID riid, void** ppvObject) override {
    if (ppvObject == nullptr) return E_POINTER;
    *ppvObject = IsEqualIID(riid, IID_IUnknown) ? this : nullptr;
    if (*ppvObject == nullptr) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  ULONG AddRef() override { return ++references; }
  ULONG Release() override { return --references; }

  ULONG references = 1;
};
