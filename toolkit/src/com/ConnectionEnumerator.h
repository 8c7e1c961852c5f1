// Walks the connections a point had when the enumerator was made. The
// snapshot holds a reference on each sink; every entry handed out carries one
// more, which the caller releases. The enumerator counts its own references
// and goes at its last Release.
#pragma once

#include "com/EnumeratorCursor.h"

#include "platform/IEnumConnections.h"

#include <atomic>
#include <vector>

class ConnectionEnumerator final : public IEnumConnections {
 public:
  // Starts at `position`; AddRef's every sink of `connections`.
  explicit ConnectionEnumerator(const std::vector<CONNECTDATA>& connections, ULONG position = 0);
  ConnectionEnumerator(const ConnectionEnumerator&) = delete;
  ConnectionEnumerator& operator=(const ConnectionEnumerator&) = delete;

  HRESULT QueryInterface(REFIID riid, void** ppvObject) override;
  ULONG AddRef() override;
  ULONG Release() override;

  HRESULT Next(ULONG cConnections, LPCONNECTDATA rgcd, ULONG* pcFetched) override;
  HRESULT Skip(ULONG cConnections) override;
  HRESULT Reset() override;
  HRESULT Clone(IEnumConnections** ppEnum) override;

 private:
  ~ConnectionEnumerator();

  const std::vector<CONNECTDATA> connections_;
  EnumeratorCursor cursor_;
  std::atomic<LONG> references_{0};
};
