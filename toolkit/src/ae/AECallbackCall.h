// A call into the AE callback object the host has installed. The object is
// held by a reference of the call's own and called without the server lock,
// so the host may replace it meanwhile; E_NOTIMPL when none is installed.
#pragma once

#include "app/CVorlixApp.h"

template <class Call>
HRESULT CallAECallback(Call call) {
  const std::shared_ptr<CLumoAExCallback> callback = VorlixApp().AECallback();
  return callback != nullptr ? call(*callback) : E_NOTIMPL;
}
