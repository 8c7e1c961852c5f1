// Exports that register the host as the OPC server's local COM server, and
// those of NT security for tags. Until the library writes the registry and
// checks NT access they do only what needs neither, and report failure.
#include "CVorlixApp.h"
#include "Vorlix.h"

#include <cstring>

VORLIX_API BOOL UpdateRegistry(BYTE* clsid, char*, char*, char*) {
  if (clsid == nullptr) return FALSE;
  CLSID classId;
  std::memcpy(&classId, clsid, sizeof classId);
  VorlixApp().SetClassId(classId);
  return FALSE;
}

VORLIX_API BOOL LUMOUpdateRegistry(BYTE* clsid, char* progId, char* description, char* exePath) {
  return UpdateRegistry(clsid, progId, description, exePath);
}

VORLIX_API BOOL AddLocalServiceKeysToRegistry(char*) { return FALSE; }

VORLIX_API BOOL UnregisterServer(BYTE*, char*) { return FALSE; }

VORLIX_API BOOL EnableNTSecurity(BOOL, DWORD) { return FALSE; }

VORLIX_API DWORD DefineNTUser(char*, char*, DWORD) { return ERROR_CALL_NOT_IMPLEMENTED; }
