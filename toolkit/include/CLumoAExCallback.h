// The alarms-and-events callback object: it answers the AE questions of the
// clients that the toolkit does not answer itself, and hears when a client's
// event subscription goes. A host may derive from it and install its own
// object with SetAEServerCallback; until then the library uses one of the
// class itself. Its operations come with the alarms-and-events side of the
// library.
#pragma once

#include "Vorlix.h"

#include "platform/hresult.h"

class VORLIX_CLASS CLumoAExCallback {
 public:
  CLumoAExCallback() = default;
  CLumoAExCallback(const CLumoAExCallback&) = default;
  CLumoAExCallback& operator=(const CLumoAExCallback&) = default;
  virtual ~CLumoAExCallback();

  // The subscription with this handle was removed; S_OK.
  virtual HRESULT RemoveEventSubscription(DWORD subscription);
};
