// IOPCShutdown: the sink through which a server asks its client to let go of
// it. Slots in the published order.
#pragma once

#include "platform/unknown.h"

struct IOPCShutdown : public IUnknown {
  virtual HRESULT ShutdownRequest(LPCWSTR szReason) = 0;

 protected:
  ~IOPCShutdown() = default;
};
