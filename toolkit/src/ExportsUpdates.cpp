// Exports that update and read tag values, singly and in batches.
#include "CVorlixApp.h"
#include "Vorlix.h"

VORLIX_API BOOL UpdateTag(DWORD tag, VARIANT value, WORD quality) {
  return VorlixApp().UpdateTagValue(tag, &value, quality);
}

VORLIX_API BOOL UpdateTagWithTimeStamp(DWORD tag, VARIANT value, WORD quality, FILETIME timestamp) {
  return VorlixApp().UpdateTagValueAt(tag, &value, quality, timestamp);
}

VORLIX_API BOOL UpdateTagByName(char* name, VARIANT value, WORD quality) {
  return VorlixApp().UpdateTagValueByName(name, &value, quality);
}

VORLIX_API BOOL ReadTag(DWORD tag, VARIANT* value) { return VorlixApp().ReadTagValue(tag, value, nullptr, nullptr); }

VORLIX_API BOOL ReadTagWithTimeStamp(DWORD tag, VARIANT* value, WORD* quality, FILETIME* timestamp) {
  if (quality == nullptr || timestamp == nullptr) return FALSE;
  return VorlixApp().ReadTagValue(tag, value, quality, timestamp);
}

VORLIX_API BOOL StartUpdateTags() { return VorlixApp().StartUpdateTags(); }

VORLIX_API BOOL UpdateTagToList(DWORD tag, VARIANT value, WORD quality) {
  return VorlixApp().AddTagToBatch(tag, &value, quality);
}

VORLIX_API BOOL EndUpdateTags() { return VorlixApp().EndUpdateTags(); }
