// One client's alarms-and-events subscription, kept in its OPCServer's list.
// It grows here into the COM object with its filter, state and event
// connection point; until then it has no sink, so the events handed to it go
// nowhere, and its server owns it: the server deletes it when it is removed
// and when the server itself goes.
#pragma once

#include "platform/opcae.h"

class COPCEvent;

class COPCEventSubscription {
 public:
  COPCEventSubscription();
  virtual ~COPCEventSubscription();
  COPCEventSubscription(const COPCEventSubscription&) = delete;
  COPCEventSubscription& operator=(const COPCEventSubscription&) = delete;

  // The handle that names the subscription to the host and to the AE callback
  // object; never 0, unique in the process while the subscription lives.
  DWORD Handle() const { return handle_; }

  // A simple event from the host, an event the host built, and an event the
  // tag database raised (a level alarm).
  virtual void FireSimpleEvent(const char* source, const char* message, DWORD severity);
  virtual void FireEvent(const ONEVENTSTRUCT& event, BOOL refresh, BOOL lastRefresh);
  virtual void FireEventRecord(const COPCEvent& event);

 private:
  const DWORD handle_;
};
