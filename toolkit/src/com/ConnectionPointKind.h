// What sets one kind of connection point apart from the others: the sink
// interface its clients connect, and the trace lines of its container, points
// enumerator and point. Each object that offers a point (server, group, event
// subscription) has one kind, a constant that outlives every point of it.
#pragma once

#include "platform/guid.h"
#include "platform/hresult.h"

struct ConnectionPointTraces {
  // The container traces its AddRef and Release as an interface holder does:
  // "<containerName>::AddRef() [defered to <ownerName>]".
  const char* containerName;
  const char* ownerName;
  // These three are followed by what the call matched or how it ended
  // (" IID_IUnknown", " S_OK", " E_INVALIDARG", ...).
  const char* containerQuery;
  const char* enumConnectionPoints;
  const char* findConnectionPoint;

  // The points enumerator traces "<enumeratorName>::AddRef(n)" with the new
  // count and "<enumeratorName>::Release(n)" with the count before.
  const char* enumeratorName;
  // Followed by the outcome.
  const char* enumeratorQuery;
  // Whole lines; NULL writes none.
  const char* enumeratorNext;
  const char* enumeratorSkip;
  const char* enumeratorReset;
  const char* enumeratorClone;

  // The point traces "<pointName>::AddRef() [defered to <containerName>]".
  const char* pointName;
  // Followed by the outcome.
  const char* pointQuery;
  // Followed by " E_INVALIDARG", or on success by getConnectionInterfaceDone.
  const char* getConnectionInterface;
  const char* getConnectionInterfaceDone;
  // Followed by " E_INVALIDARG"; alone on success.
  const char* getConnectionPointContainer;
  // Followed by the outcome; a second sink is refused with adviseLimit.
  const char* advise;
  const char* adviseLimit;
  // Whole lines for a sink let go and for a cookie that names none; NULL writes none.
  const char* unadvised;
  const char* unadviseFailed;
  // Followed by the outcome; NULL writes none.
  const char* enumConnections;

  // How the sink interface is named where it was asked for (" IID_IOPCShutdown").
  const char* sinkName;
};

struct ConnectionPointKind {
  const IID* sinkIid;
  ConnectionPointTraces traces;
  // What the container's EnumConnectionPoints and FindConnectionPoint answer,
  // touching nothing, when the out-pointer is NULL: E_INVALIDARG or E_POINTER.
  HRESULT nullOutPointer = E_INVALIDARG;
};
