#include "ae/InstalledAECallback.h"

#include "Vorlix.h"

InstalledAECallback::InstalledAECallback(CLumoAExCallback* object) : object_(object) {}

InstalledAECallback::~InstalledAECallback() { delete object_; }

void InstalledAECallback::Unpin() {
  if (life_.Unpin()) delete this;
}
