// Exports of level alarms, the host's alarms-and-events messages and the AE
// callback object.
#include "CVorlixApp.h"
#include "Vorlix.h"

namespace {
constexpr char kUserMessageSource[] = "User Message";
constexpr DWORD kAllSubscriptions = 0;
}  // namespace

VORLIX_API BOOL SetItemLevelAlarm(DWORD tag, int alarm, float limit, DWORD severity, BOOL enabled) {
  return VorlixApp().SetLevelAlarm(tag, alarm, limit, severity, enabled);
}

VORLIX_API BOOL GetItemLevelAlarm(DWORD tag, int alarm, float* limit, DWORD* severity, BOOL* enabled) {
  if (limit == nullptr || severity == nullptr || enabled == nullptr) return FALSE;
  return VorlixApp().GetLevelAlarm(tag, alarm, limit, severity, enabled);
}

VORLIX_API BOOL UserAEMessage(char* message, DWORD severity) {
  VorlixApp().BroadcastUserMessage(kUserMessageSource, message != nullptr ? message : "", severity);
  return TRUE;
}

VORLIX_API BOOL UserAEMessageEx(ONEVENTSTRUCT event) {
  VorlixApp().BroadcastEvent(kAllSubscriptions, event, FALSE, FALSE);
  return TRUE;
}

VORLIX_API BOOL UserAEMessageEx2(DWORD subscription, ONEVENTSTRUCT event, BOOL refresh, BOOL lastRefresh) {
  VorlixApp().BroadcastEvent(subscription, event, refresh, lastRefresh);
  return TRUE;
}

VORLIX_API BOOL SetAEServerCallback(BOOL noLevelAlarms, CLumoAExCallback* callback) {
  VorlixApp().SetAECallback(noLevelAlarms, callback);
  return TRUE;
}
