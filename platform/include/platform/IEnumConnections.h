// IEnumConnections: walks the sinks connected to a point, each with its
// cookie. The sink of each entry handed out is AddRef'd for the caller. Slots
// in the published order.
#pragma once

#include "platform/unknown.h"

struct CONNECTDATA {
  IUnknown* pUnk;
  DWORD dwCookie;
};
typedef CONNECTDATA* LPCONNECTDATA;

struct IEnumConnections : public IUnknown {
  virtual HRESULT Next(ULONG cConnections, LPCONNECTDATA rgcd, ULONG* pcFetched) = 0;
  virtual HRESULT Skip(ULONG cConnections) = 0;
  virtual HRESULT Reset() = 0;
  virtual HRESULT Clone(IEnumConnections** ppEnum) = 0;

 protected:
  ~IEnumConnections() = default;
};
