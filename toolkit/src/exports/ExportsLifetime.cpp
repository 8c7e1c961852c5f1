// Exports that start, pace and stop the OPC server.
#include "Vorlix.h"
#include "app/CVorlixApp.h"
#include "app/CallBoundary.h"
#include "security/ClsidText.h"

namespace {
constexpr DWORD kApartmentThreaded = 2;
}  // namespace

VORLIX_API BOOL SetThreadingModel(DWORD model) {
  return AnswerAtBoundary<BOOL>(FALSE, [&]() -> BOOL {
    VorlixApp().SetApartmentThreaded(model == kApartmentThreaded);
    return TRUE;
  });
}

VORLIX_API BOOL InitVarnOPCsvr(BYTE* clsid, UINT serverRate) {
  return AnswerAtBoundary<BOOL>(FALSE, [&]() -> BOOL {
    if (clsid == nullptr) return FALSE;
    return VorlixApp().InitServer(ClsidFromBytes(clsid), serverRate);
  });
}

VORLIX_API BOOL UninitVarnOPCsvr() {
  return AnswerAtBoundary<BOOL>(FALSE, [&] { return VorlixApp().UninitServer(); });
}

VORLIX_API BOOL ResetVarnServerRate(UINT rate) {
  return AnswerAtBoundary<BOOL>(FALSE, [&]() -> BOOL {
    VorlixApp().ResetServerRate(rate);
    return TRUE;
  });
}
