// IEnumString: walks a list of texts. Each text handed out is a new block of
// the task allocator that the caller frees. Slots in the published order.
#pragma once

#include "platform/unknown.h"

struct IEnumString : public IUnknown {
  virtual HRESULT Next(ULONG celt, LPOLESTR* rgelt, ULONG* pceltFetched) = 0;
  virtual HRESULT Skip(ULONG celt) = 0;
  virtual HRESULT Reset() = 0;
  virtual HRESULT Clone(IEnumString** ppenum) = 0;

 protected:
  ~IEnumString() = default;
};
typedef IEnumString* LPENUMSTRING;
