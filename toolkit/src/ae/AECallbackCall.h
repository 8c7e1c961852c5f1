// A call into the AE callback object the host has installed. The object is
// pinned for the call and called without the server lock, so the host may
// replace it meanwhile; E_NOTIMPL when none is installed.
#pragma once

#include "ae/InstalledAECallback.h"
#include "app/CVorlixApp.h"

template <class Call>
HRESULT CallAECallback(Call call) {
  const Pinned<InstalledAECallback> callback = VorlixApp().AECallback();
  return callback ? call(callback->Object()) : E_NOTIMPL;
}
