// Exports that configure the server as a whole.
#include "Vorlix.h"
#include "app/CVorlixApp.h"
#include "app/CallBoundary.h"

namespace {
constexpr WORD kRevision = 0x0803;
}  // namespace

VORLIX_API WORD VarnOPCsvrRevision() { return kRevision; }

VORLIX_API void SetVarnVendorInfo(char* vendor) {
  RunAtBoundary([&] { VorlixApp().SetVendorInfo(vendor); });
}

VORLIX_API char SetVarnOPCsvrQualifier(char delimiter) {
  return AnswerAtBoundary<char>('\0', [&] { return VorlixApp().SetDelimiter(delimiter); });
}

VORLIX_API UINT SetHashing(UINT size) {
  return AnswerAtBoundary<UINT>(0u, [&] { return VorlixApp().SetHashing(size); });
}

VORLIX_API void SetServerState(DWORD state) {
  RunAtBoundary([&] { VorlixApp().SetServerState(state); });
}

VORLIX_API int NumbrClientConnections() {
  return AnswerAtBoundary<int>(0, [&] { return VorlixApp().ClientCount(); });
}

VORLIX_API int RequestDisconnect() {
  return AnswerAtBoundary<int>(0, [&] { return VorlixApp().RequestDisconnectAll(); });
}

VORLIX_API BOOL RefreshAllClients() {
  return AnswerAtBoundary<BOOL>(FALSE, [&]() -> BOOL {
    VorlixApp().ScanClients(TRUE);
    return TRUE;
  });
}
