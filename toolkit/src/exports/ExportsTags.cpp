// Exports that create, remove and suspend tags and attach custom properties.
#include "Vorlix.h"
#include "app/CVorlixApp.h"
#include "app/CallBoundary.h"

namespace {
// The NT level CreateTag asks for.
constexpr DWORD kDefaultNTLevel = 0x10000;
}  // namespace

VORLIX_API DWORD CreateTag(char* name, VARIANT value, WORD quality, BOOL writable) {
  return AnswerAtBoundary<DWORD>(VORLIX_INVALID_TAG, [&]() -> DWORD {
    if (writable) return CreateSecureTag(name, value, quality, kDefaultNTLevel, kDefaultNTLevel);
    // No write word at all, so that no client can write the tag, with NT security or without.
    return VorlixApp().CreateTag(name, &value, quality, kDefaultNTLevel | OPC_READABLE, 0);
  });
}

VORLIX_API DWORD CreateSecureTag(char* name, VARIANT value, WORD quality, DWORD readAccess, DWORD writeAccess) {
  return AnswerAtBoundary<DWORD>(VORLIX_INVALID_TAG, [&] {
    return VorlixApp().CreateTag(name, &value, quality, readAccess | OPC_READABLE, writeAccess | OPC_WRITEABLE);
  });
}

VORLIX_API BOOL RemoveTag(DWORD tag) {
  return AnswerAtBoundary<BOOL>(FALSE, [&] { return VorlixApp().RemoveTag(tag); });
}

VORLIX_API BOOL SuspendTagUpdates(DWORD tag, BOOL suspend) {
  return AnswerAtBoundary<BOOL>(FALSE, [&] { return VorlixApp().SuspendTag(tag, suspend); });
}

VORLIX_API BOOL SetTagProperties(DWORD tag, DWORD propertyId, char* description, VARIANT value) {
  return AnswerAtBoundary<BOOL>(FALSE, [&]() -> BOOL {
    if (description == nullptr) return FALSE;
    return VorlixApp().SetTagProperty(tag, propertyId, description, value);
  });
}
