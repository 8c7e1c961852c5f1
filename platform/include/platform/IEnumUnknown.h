// IEnumUnknown: walks a list of objects, handing out AddRef'd IUnknown pointers.
#pragma once

#include "platform/unknown.h"

struct IEnumUnknown : public IUnknown {
  virtual HRESULT Next(ULONG celt, IUnknown** rgelt, ULONG* pceltFetched) = 0;
  virtual HRESULT Skip(ULONG celt) = 0;
  virtual HRESULT Reset() = 0;
  virtual HRESULT Clone(IEnumUnknown** ppenum) = 0;

 protected:
  ~IEnumUnknown() = default;
};
typedef IEnumUnknown* LPENUMUNKNOWN;
