// IEnumConnectionPoints: walks the points of a container. Each point handed
// out is AddRef'd for the caller. Slots in the published order.
#pragma once

#include "platform/IConnectionPoint.h"

struct IEnumConnectionPoints : public IUnknown {
  virtual HRESULT Next(ULONG cConnections, LPCONNECTIONPOINT* ppCP, ULONG* pcFetched) = 0;
  virtual HRESULT Skip(ULONG cConnections) = 0;
  virtual HRESULT Reset() = 0;
  virtual HRESULT Clone(IEnumConnectionPoints** ppEnum) = 0;

 protected:
  ~IEnumConnectionPoints() = default;
};
