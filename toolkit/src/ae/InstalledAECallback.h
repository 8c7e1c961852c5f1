// The AE callback object the host installed (or the library's default one),
// with its lifetime (see ObjectLifetime): the application pins it while it is
// installed, and each call into it pins it while the call runs without the
// server lock. The last pin to go deletes the host's object with this, so the
// host may replace it while a client's call is inside it; it goes once that
// call returns, never under the server lock.
#pragma once

#include "com/ObjectLifetime.h"

class CLumoAExCallback;

class InstalledAECallback {
 public:
  // Takes over the host's object (made with new), pinned by the application.
  explicit InstalledAECallback(CLumoAExCallback* object);
  InstalledAECallback(const InstalledAECallback&) = delete;
  InstalledAECallback& operator=(const InstalledAECallback&) = delete;

  CLumoAExCallback& Object() const { return *object_; }

  void Pin() { life_.Pin(); }
  void Unpin();

 private:
  ~InstalledAECallback();

  CLumoAExCallback* const object_;
  ObjectLifetime life_{"CLumoAExCallback", 1};
};
