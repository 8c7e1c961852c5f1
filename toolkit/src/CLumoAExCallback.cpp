// The AE callback class of the host interface. Its destructor is defined here,
// so the class's table of virtual operations lives in the library, where a
// host's derived class finds it.
#include "Vorlix.h"

CLumoAExCallback::~CLumoAExCallback() = default;

HRESULT CLumoAExCallback::RemoveEventSubscription(DWORD) { return S_OK; }
