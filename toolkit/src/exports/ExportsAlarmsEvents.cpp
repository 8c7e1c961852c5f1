// Exports of level alarms, the host's alarms-and-events messages and the AE
// callback object.
#include "Vorlix.h"
#include "app/CVorlixApp.h"
#include "app/CallBoundary.h"

namespace {
constexpr char kUserMessageSource[] = "User Message";
}  // namespace

VORLIX_API BOOL SetItemLevelAlarm(DWORD tag, int alarm, float limit, DWORD severity, BOOL enabled) {
  return AnswerAtBoundary<BOOL>(FALSE, [&] { return VorlixApp().SetLevelAlarm(tag, alarm, limit, severity, enabled); });
}

VORLIX_API BOOL GetItemLevelAlarm(DWORD tag, int alarm, float* limit, DWORD* severity, BOOL* enabled) {
  return AnswerAtBoundary<BOOL>(FALSE, [&]() -> BOOL {
    if (limit == nullptr || severity == nullptr || enabled == nullptr) return FALSE;
    return VorlixApp().GetLevelAlarm(tag, alarm, limit, severity, enabled);
  });
}

VORLIX_API BOOL UserAEMessage(char* message, DWORD severity) {
  return AnswerAtBoundary<BOOL>(FALSE, [&]() -> BOOL {
    VorlixApp().BroadcastUserMessage(kUserMessageSource, message != nullptr ? message : "", severity);
    return TRUE;
  });
}

VORLIX_API BOOL UserAEMessageEx(ONEVENTSTRUCT event) {
  return AnswerAtBoundary<BOOL>(
      FALSE, [&] { return VorlixApp().BroadcastEvent(CVorlixApp::kAllSubscriptions, event, FALSE, FALSE); });
}

VORLIX_API BOOL UserAEMessageEx2(DWORD subscription, ONEVENTSTRUCT event, BOOL refresh, BOOL lastRefresh) {
  return AnswerAtBoundary<BOOL>(FALSE,
                                [&] { return VorlixApp().BroadcastEvent(subscription, event, refresh, lastRefresh); });
}

VORLIX_API BOOL SetAEServerCallback(BOOL noLevelAlarms, CLumoAExCallback* callback) {
  return AnswerAtBoundary<BOOL>(FALSE, [&]() -> BOOL {
    VorlixApp().SetAECallback(noLevelAlarms, callback);
    return TRUE;
  });
}
