// The one server-wide lock. It guards the tag tree and its hash index, tag
// values, the update batch, the AE callback object and the client list (and,
// with the client objects, their groups' item lists and event subscriptions).
// It is recursive on the owning thread, as a critical section is.
#pragma once

#include "platform/criticalsection.h"

class ServerLock {
 public:
  ServerLock();
  ~ServerLock();
  ServerLock(const ServerLock&) = delete;
  ServerLock& operator=(const ServerLock&) = delete;

  void Enter();
  void Leave();

  // Whether the calling thread holds the lock at any depth. Host callbacks and
  // client sinks must only be called when it does not.
  bool HeldByCurrentThread() const;

  // Holds the lock for one scope.
  class Hold {
   public:
    explicit Hold(ServerLock& lock) : lock_(lock) { lock_.Enter(); }
    ~Hold() { lock_.Leave(); }
    Hold(const Hold&) = delete;
    Hold& operator=(const Hold&) = delete;

   private:
    ServerLock& lock_;
  };

 private:
  CRITICAL_SECTION section_;
};
