// Exports that update and read tag values, singly and in batches.
#include "Vorlix.h"
#include "app/CVorlixApp.h"
#include "app/CallBoundary.h"

VORLIX_API BOOL UpdateTag(DWORD tag, VARIANT value, WORD quality) {
  return AnswerAtBoundary<BOOL>(FALSE, [&] { return VorlixApp().UpdateTagValue(tag, &value, quality); });
}

VORLIX_API BOOL UpdateTagWithTimeStamp(DWORD tag, VARIANT value, WORD quality, FILETIME timestamp) {
  return AnswerAtBoundary<BOOL>(FALSE, [&] { return VorlixApp().UpdateTagValueAt(tag, &value, quality, timestamp); });
}

VORLIX_API BOOL UpdateTagByName(char* name, VARIANT value, WORD quality) {
  return AnswerAtBoundary<BOOL>(FALSE, [&] { return VorlixApp().UpdateTagValueByName(name, &value, quality); });
}

VORLIX_API BOOL ReadTag(DWORD tag, VARIANT* value) {
  return AnswerAtBoundary<BOOL>(FALSE, [&] { return VorlixApp().ReadTagValue(tag, value, nullptr, nullptr); });
}

VORLIX_API BOOL ReadTagWithTimeStamp(DWORD tag, VARIANT* value, WORD* quality, FILETIME* timestamp) {
  return AnswerAtBoundary<BOOL>(FALSE, [&]() -> BOOL {
    if (quality == nullptr || timestamp == nullptr) return FALSE;
    return VorlixApp().ReadTagValue(tag, value, quality, timestamp);
  });
}

VORLIX_API BOOL StartUpdateTags() {
  return AnswerAtBoundary<BOOL>(FALSE, [&] { return VorlixApp().StartUpdateTags(); });
}

VORLIX_API BOOL UpdateTagToList(DWORD tag, VARIANT value, WORD quality) {
  return AnswerAtBoundary<BOOL>(FALSE, [&] { return VorlixApp().AddTagToBatch(tag, &value, quality); });
}

VORLIX_API BOOL EndUpdateTags() {
  return AnswerAtBoundary<BOOL>(FALSE, [&] { return VorlixApp().EndUpdateTags(); });
}
