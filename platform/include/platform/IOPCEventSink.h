// The client's sink for OPC Alarms and Events notifications, in its published
// slot order.
#pragma once

#include "platform/opcae.h"
#include "platform/opcda.h"
#include "platform/unknown.h"

struct IOPCEventSink : public IUnknown {
  virtual HRESULT OnEvent(OPCHANDLE hClientSubscription, BOOL bRefresh, BOOL bLastRefresh, DWORD dwCount,
                          ONEVENTSTRUCT* pEvents) = 0;

 protected:
  ~IOPCEventSink() = default;
};
