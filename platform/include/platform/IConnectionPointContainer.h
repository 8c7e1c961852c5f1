// IConnectionPointContainer: the object a client asks for the points through
// which it connects its sinks. Slots in the published order.
#pragma once

#include "platform/unknown.h"

struct IConnectionPoint;
struct IEnumConnectionPoints;

struct IConnectionPointContainer : public IUnknown {
  virtual HRESULT EnumConnectionPoints(IEnumConnectionPoints** ppEnum) = 0;
  virtual HRESULT FindConnectionPoint(REFIID riid, IConnectionPoint** ppCP) = 0;

 protected:
  ~IConnectionPointContainer() = default;
};
typedef IConnectionPointContainer* LPCONNECTIONPOINTCONTAINER;
