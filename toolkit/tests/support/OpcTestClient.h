// An OPC client in the test's own process. It creates a server object through
// COM under the class identifier the host started the server with, asks it for
// interfaces and releases them, optionally as a given client identity. It
// initialises COM on the thread that makes it, so make, use and destroy it on
// one thread.
#pragma once

#include "platform/IConnectionPoint.h"
#include "platform/IEnumString.h"
#include "platform/IOPCServer.h"
#include "platform/opcda.h"
#include "platform/unknown.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

// The reference count of a COM object, seen through an AddRef and a Release.
LONG ReferenceCount(IUnknown* object);

// The identity of a client (user, groups, impersonation level) as the Linux
// stand-in lets a test dispatch a call under it; under real COM an in-process
// call runs as the process's own user, and tests that set an identity are
// Linux-only.
struct ClientCallContext;

// Runs the calls of its lifetime under an identity, when one is given.
class ClientIdentityScope {
 public:
  explicit ClientIdentityScope(const ClientCallContext* identity);
  ~ClientIdentityScope();
  ClientIdentityScope(const ClientIdentityScope&) = delete;
  ClientIdentityScope& operator=(const ClientIdentityScope&) = delete;

 private:
  std::shared_ptr<void> scope_;
};

// The class identifier the tests start the server under.
extern const CLSID kTestServerClassId;

class OpcTestClient {
 public:
  explicit OpcTestClient(const CLSID& serverClass = kTestServerClassId);
  // Releases what it still holds.
  ~OpcTestClient();
  OpcTestClient(const OpcTestClient&) = delete;
  OpcTestClient& operator=(const OpcTestClient&) = delete;

  // Every later call runs in the call context of this client.
  void SetIdentity(const ClientCallContext& identity);

  // Creates the server object for `iid`; on success the client holds the pointer.
  HRESULT Connect(REFIID iid = IID_IUnknown);
  // The pointer Connect got, or NULL.
  IUnknown* Server() const { return held_.empty() ? nullptr : held_.front(); }
  // QueryInterface on the server object; a pointer it gets is held too.
  HRESULT Query(REFIID iid, void** object);
  template <class Interface>
  HRESULT Query(REFIID iid, Interface** object) {
    return Query(iid, reinterpret_cast<void**>(object));
  }
  // The server's IOPCServer, asked for on first use and held; NULL when it
  // cannot be had.
  IOPCServer* OpcServer();
  // The server's connection point for IOPCShutdown sinks, and an event
  // subscription's for IOPCEventSink sinks, found through the object's
  // container; both are held. NULL when either cannot be had.
  IConnectionPoint* ShutdownPoint();
  IConnectionPoint* EventPoint(IUnknown* subscription);
  // Releases every held pointer, the last one got first; what the final
  // Release returned (0 when nothing was held).
  ULONG ReleaseAll();
  // Releases one held pointer and stops holding it; what its Release returned.
  ULONG Release(IUnknown* object);
  // Drops the held pointers without releasing them, for objects that went
  // with the library.
  void Abandon() { held_.clear(); }

  // Alarms and events: a subscription made through the server's
  // IOPCEventServer and asked for `iid`, held like the other pointers.
  HRESULT CreateEventSubscription(REFIID iid, IUnknown** subscription, OPCHANDLE clientHandle = 1,
                                  BOOL active = TRUE);
  template <class Interface>
  HRESULT CreateEventSubscription(REFIID iid, Interface** subscription, OPCHANDLE clientHandle = 1,
                                  BOOL active = TRUE) {
    return CreateEventSubscription(iid, reinterpret_cast<IUnknown**>(subscription), clientHandle, active);
  }

  // Runs `call` as this client: in its call context when it has an identity.
  template <class Call>
  auto AsClient(Call call) {
    const ClientIdentityScope scope(identity_.get());
    return call();
  }

 private:
  IConnectionPoint* ConnectionPointOf(IUnknown* object, REFIID sinkIid);

  const CLSID serverClass_;
  const bool comInitialised_;
  std::shared_ptr<const ClientCallContext> identity_;
  std::vector<IUnknown*> held_;
  IOPCServer* opcServer_ = nullptr;
};

// Every text the enumerator has left, narrowed; each block it handed out is freed.
std::vector<std::string> ReadAll(IEnumString* strings);
