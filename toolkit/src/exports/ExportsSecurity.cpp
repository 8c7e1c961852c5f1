// Exports that configure the NT access control of tags.
#include "Vorlix.h"
#include "app/CVorlixApp.h"
#include "app/CallBoundary.h"

VORLIX_API BOOL EnableNTSecurity(BOOL enable, DWORD minImpersonationLevel) {
  return AnswerAtBoundary<BOOL>(FALSE, [&] { return VorlixApp().EnableNTSecurity(enable, minImpersonationLevel); });
}

VORLIX_API DWORD DefineNTUser(char* userRecordName, char* accountName, DWORD access) {
  return AnswerAtBoundary<DWORD>(ERROR_OUTOFMEMORY, [&]() -> DWORD {
    if (userRecordName == nullptr || accountName == nullptr) return ERROR_INVALID_PARAMETER;
    return VorlixApp().DefineNTUser(userRecordName, accountName, access);
  });
}
