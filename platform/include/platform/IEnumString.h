// IEnumString: walks a list of texts, handing out wide copies from the task
// allocator that the caller frees.
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
