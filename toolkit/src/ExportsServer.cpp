// Exports that configure the server as a whole.
#include "CVorlixApp.h"
#include "Vorlix.h"

namespace {
constexpr WORD kRevision = 0x0803;
}  // namespace

VORLIX_API WORD VarnOPCsvrRevision() { return kRevision; }

VORLIX_API void SetVarnVendorInfo(char* vendor) { VorlixApp().SetVendorInfo(vendor); }

VORLIX_API char SetVarnOPCsvrQualifier(char delimiter) { return VorlixApp().SetDelimiter(delimiter); }

VORLIX_API UINT SetHashing(UINT size) { return VorlixApp().SetHashing(size); }

VORLIX_API void SetServerState(DWORD state) { VorlixApp().SetServerState(state); }

VORLIX_API int NumbrClientConnections() { return VorlixApp().ClientCount(); }

VORLIX_API int RequestDisconnect() { return VorlixApp().RequestDisconnectAll(); }

VORLIX_API BOOL RefreshAllClients() {
  VorlixApp().ScanClients(TRUE);
  return TRUE;
}
