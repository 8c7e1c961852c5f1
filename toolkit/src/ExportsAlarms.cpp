// Exports for level alarms, custom tag properties and the host's
// alarms-and-events messages.
#include "CVorlixApp.h"
#include "Vorlix.h"

namespace {
constexpr char kUserMessageSource[] = "User Message";
}  // namespace

VORLIX_API BOOL SetItemLevelAlarm(DWORD tag, int alarm, float limit, DWORD severity, BOOL enabled) {
  return VorlixApp().SetLevelAlarm(tag, alarm, LevelAlarm{limit, enabled, severity});
}

VORLIX_API BOOL GetItemLevelAlarm(DWORD tag, int alarm, float* limit, DWORD* severity, BOOL* enabled) {
  if (limit == nullptr || severity == nullptr || enabled == nullptr) return FALSE;
  LevelAlarm settings;
  if (!VorlixApp().GetLevelAlarm(tag, alarm, &settings)) return FALSE;
  *limit = settings.limit;
  *severity = settings.severity;
  *enabled = settings.enabled;
  return TRUE;
}

VORLIX_API BOOL SetTagProperties(DWORD tag, DWORD propertyId, char* description, VARIANT value) {
  return VorlixApp().SetTagProperty(tag, propertyId, description, &value);
}

VORLIX_API BOOL UserAEMessage(char* message, DWORD severity) {
  if (message == nullptr) return FALSE;
  VorlixApp().BroadcastUserMessage(kUserMessageSource, message, severity);
  return TRUE;
}

VORLIX_API BOOL UserAEMessageEx(ONEVENTSTRUCT event) {
  VorlixApp().BroadcastEvent(0, event, FALSE, FALSE);
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
