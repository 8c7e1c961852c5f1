// IConnectionPoint: one outgoing interface of a container, to which clients
// connect sinks identified by cookies. Slots in the published order.
#pragma once

#include "platform/unknown.h"

struct IConnectionPointContainer;
struct IEnumConnections;

struct IConnectionPoint : public IUnknown {
  virtual HRESULT GetConnectionInterface(IID* pIID) = 0;
  virtual HRESULT GetConnectionPointContainer(IConnectionPointContainer** ppCPC) = 0;
  virtual HRESULT Advise(IUnknown* pUnkSink, DWORD* pdwCookie) = 0;
  virtual HRESULT Unadvise(DWORD dwCookie) = 0;
  virtual HRESULT EnumConnections(IEnumConnections** ppEnum) = 0;

 protected:
  ~IConnectionPoint() = default;
};
typedef IConnectionPoint* LPCONNECTIONPOINT;
