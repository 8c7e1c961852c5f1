// An event subscription's connection-point container, with its one point for
// the client's IOPCEventSink, through which the subscription sends its events.
#pragma once

#include "com/ConnectionContainer.h"

#include "platform/IOPCEventSink.h"

class COPCEventSubscription;

class OPCEventConnectionContainer final : public ConnectionContainer {
 public:
  explicit OPCEventConnectionContainer(COPCEventSubscription& subscription);

  // The connected sink, AddRef'd for the caller, or NULL.
  IOPCEventSink* Sink();
};
