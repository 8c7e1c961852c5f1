// Exports that write and remove the server's COM registration.
#include "Vorlix.h"
#include "app/CVorlixApp.h"
#include "app/CallBoundary.h"
#include "security/ClsidText.h"
#include "security/ServerRegistration.h"

VORLIX_API BOOL UpdateRegistry(BYTE* clsid, char* progId, char* description, char* exePath) {
  return AnswerAtBoundary<BOOL>(FALSE, [&]() -> BOOL {
    if (clsid == nullptr || progId == nullptr || description == nullptr || exePath == nullptr) return FALSE;
    const CLSID id = ClsidFromBytes(clsid);
    VorlixApp().SetServerClsid(id);
    return ServerRegistration(id).Register(progId, description, exePath) ? TRUE : FALSE;
  });
}

VORLIX_API BOOL LUMOUpdateRegistry(BYTE* clsid, char* progId, char* description, char* exePath) {
  return AnswerAtBoundary<BOOL>(FALSE, [&] { return UpdateRegistry(clsid, progId, description, exePath); });
}

VORLIX_API BOOL AddLocalServiceKeysToRegistry(char* serviceName) {
  return AnswerAtBoundary<BOOL>(FALSE, [&]() -> BOOL {
    if (serviceName == nullptr) return FALSE;
    return ServerRegistration(VorlixApp().ServerClsid()).AddLocalServiceKeys(serviceName) ? TRUE : FALSE;
  });
}

VORLIX_API BOOL UnregisterServer(BYTE* clsid, char* progId) {
  return AnswerAtBoundary<BOOL>(FALSE, [&]() -> BOOL {
    if (clsid == nullptr || progId == nullptr) return FALSE;
    return ServerRegistration(ClsidFromBytes(clsid)).Unregister(progId) ? TRUE : FALSE;
  });
}
