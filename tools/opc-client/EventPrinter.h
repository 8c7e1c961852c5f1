// The client's IOPCEventSink: every event a subscription sends becomes one
// line of the arrival log: time, source, message, severity, and the
// condition with its sub-condition for condition events.
#pragma once

#include "ArrivalLog.h"
#include "SinkObject.h"

#include <OpcInterfaces.h>

class EventPrinter final : public SinkObject<IOPCEventSink> {
 public:
  explicit EventPrinter(ArrivalLog& log) : SinkObject(IID_IOPCEventSink), log_(log) {}

  HRESULT STDMETHODCALLTYPE OnEvent(OPCHANDLE subscription, BOOL refresh, BOOL lastRefresh, DWORD count,
                                    ONEVENTSTRUCT* events) override;

  static std::string Line(const ONEVENTSTRUCT& event);

 private:
  ArrivalLog& log_;
};
