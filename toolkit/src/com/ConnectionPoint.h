// The one connection point of a container: at most one client sink, always
// under cookie 1. It has no reference count of its own: AddRef and Release go
// to the container and on to the container's owner, so a client holding the
// point keeps that owner alive. The sink is read and changed under a lock of
// the point's own and called only through an AddRef'd copy, with no lock held.
#pragma once

#include "com/ConnectionPointKind.h"

#include "platform/IConnectionPoint.h"

#include <mutex>
#include <string>

class ConnectionContainer;

class ConnectionPoint final : public IConnectionPoint {
 public:
  static constexpr DWORD kCookie = 1;

  ConnectionPoint(ConnectionContainer& container, const ConnectionPointKind& kind);
  // Releases a sink still connected.
  ~ConnectionPoint();
  ConnectionPoint(const ConnectionPoint&) = delete;
  ConnectionPoint& operator=(const ConnectionPoint&) = delete;

  HRESULT QueryInterface(REFIID riid, void** ppvObject) override;
  ULONG AddRef() override;
  ULONG Release() override;

  HRESULT GetConnectionInterface(IID* pIID) override;
  HRESULT GetConnectionPointContainer(IConnectionPointContainer** ppCPC) override;
  // Keeps the object's sink interface under cookie 1. E_POINTER for a NULL
  // argument, CONNECT_E_ADVISELIMIT while a sink is connected (the first one
  // stays), CONNECT_E_CANNOTCONNECT when the object has no such interface.
  HRESULT Advise(IUnknown* pUnkSink, DWORD* pdwCookie) override;
  // Lets the sink go; CONNECT_E_NOCONNECTION, nothing changed, unless a sink
  // is connected under that cookie.
  HRESULT Unadvise(DWORD dwCookie) override;
  // The connections now: none, or the sink with cookie 1.
  HRESULT EnumConnections(IEnumConnections** ppEnum) override;

  // The connected sink interface, AddRef'd for the caller, or NULL.
  IUnknown* Sink() const;
  // Lets a connected sink go, untraced: the point's owner is going away.
  void Disconnect();

 private:
  bool Connected() const;
  // The connected sink, no longer connected, with the point's reference; or NULL.
  IUnknown* TakeSink();
  HRESULT RefuseSecondSink(DWORD* pdwCookie) const;

  ConnectionContainer& container_;
  const ConnectionPointKind& kind_;
  const std::string addRefTrace_;
  const std::string releaseTrace_;
  mutable std::mutex sinkLock_;
  IUnknown* sink_ = nullptr;
};
