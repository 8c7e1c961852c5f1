#include "CLumoAExCallback.h"

CLumoAExCallback::~CLumoAExCallback() = default;

HRESULT CLumoAExCallback::RemoveEventSubscription(DWORD) { return S_OK; }
