// Exports that register the host's callbacks.
#include "CVorlixApp.h"
#include "Vorlix.h"

VORLIX_API BOOL EnableEventMsgs(EVENTMSGPROC proc) { return VorlixApp().EnableEventMessages(proc); }

VORLIX_API BOOL EnableUnknownItemNotification(UNKNOWNITEMPROC proc) { return VorlixApp().UnknownItemProc().Set(proc); }
