// Exports that register the host's callbacks.
#include "Vorlix.h"
#include "app/CVorlixApp.h"
#include "app/CallBoundary.h"

VORLIX_API BOOL EnableEventMsgs(EVENTMSGPROC proc) {
  return AnswerAtBoundary<BOOL>(FALSE, [&] { return VorlixApp().EnableEventMessages(proc); });
}

VORLIX_API BOOL EnableUnknownItemNotification(UNKNOWNITEMPROC proc) {
  return AnswerAtBoundary<BOOL>(FALSE, [&] { return VorlixApp().UnknownItemProc().Set(proc); });
}

VORLIX_API BOOL EnableWriteNotification(WRITENOTIFYPROC proc, BOOL convertToCanonical) {
  return AnswerAtBoundary<BOOL>(FALSE, [&] { return VorlixApp().EnableWriteNotification(proc, convertToCanonical); });
}

VORLIX_API BOOL EnableWriteNotification2(WRITENOTIFYPROC2 proc, BOOL convertToCanonical) {
  return AnswerAtBoundary<BOOL>(FALSE, [&] { return VorlixApp().EnableWriteNotification2(proc, convertToCanonical); });
}

VORLIX_API BOOL EnableDeviceRead(READDEVICEPROC proc) {
  return AnswerAtBoundary<BOOL>(FALSE, [&] { return VorlixApp().DeviceReadProc().Set(proc); });
}

VORLIX_API BOOL EnableItemRemovalNotification(ITEMREMOVEDPROC proc) {
  return AnswerAtBoundary<BOOL>(FALSE, [&] { return VorlixApp().ItemRemovedProc().Set(proc); });
}

VORLIX_API BOOL EnableDisconnectNotification(DISCONNECTNOTIFYPROC proc) {
  return AnswerAtBoundary<BOOL>(FALSE, [&] { return VorlixApp().DisconnectProc().Set(proc); });
}

VORLIX_API BOOL EnableRateNotification(RATENOTIFYPROC proc) {
  return AnswerAtBoundary<BOOL>(FALSE, [&] { return VorlixApp().RateProc().Set(proc); });
}
