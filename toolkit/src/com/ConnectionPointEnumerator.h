// Walks the points of a connection-point container: one element, the point,
// looked up through the container when it is handed out. The enumerator
// counts its own references and holds one on the container (so on the
// container's owner) for each of them; it goes at its last Release.
#pragma once

#include "com/EnumeratorCursor.h"

#include "platform/IEnumConnectionPoints.h"

#include <atomic>

class ConnectionContainer;

class ConnectionPointEnumerator final : public IEnumConnectionPoints {
 public:
  explicit ConnectionPointEnumerator(ConnectionContainer& container, ULONG position = 0);
  ConnectionPointEnumerator(const ConnectionPointEnumerator&) = delete;
  ConnectionPointEnumerator& operator=(const ConnectionPointEnumerator&) = delete;

  HRESULT QueryInterface(REFIID riid, void** ppvObject) override;
  // AddRef answers with what the container's AddRef gave, Release with the
  // enumerator's own new count.
  ULONG AddRef() override;
  ULONG Release() override;

  HRESULT Next(ULONG cConnections, LPCONNECTIONPOINT* ppCP, ULONG* pcFetched) override;
  HRESULT Skip(ULONG cConnections) override;
  HRESULT Reset() override;
  HRESULT Clone(IEnumConnectionPoints** ppEnum) override;

 private:
  ~ConnectionPointEnumerator() = default;

  ConnectionContainer& container_;
  EnumeratorCursor cursor_;
  std::atomic<LONG> references_{0};
};
