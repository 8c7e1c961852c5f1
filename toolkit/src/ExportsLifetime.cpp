// Exports that start, pace and stop the OPC server.
#include "CVorlixApp.h"
#include "ClsidText.h"
#include "Vorlix.h"

namespace {
constexpr DWORD kApartmentThreaded = 2;
}  // namespace

VORLIX_API BOOL SetThreadingModel(DWORD model) {
  VorlixApp().SetApartmentThreaded(model == kApartmentThreaded);
  return TRUE;
}

VORLIX_API BOOL InitVarnOPCsvr(BYTE* clsid, UINT serverRate) {
  if (clsid == nullptr) return FALSE;
  return VorlixApp().InitServer(ClsidFromBytes(clsid), serverRate);
}

VORLIX_API BOOL UninitVarnOPCsvr() { return VorlixApp().UninitServer(); }

VORLIX_API BOOL ResetVarnServerRate(UINT rate) {
  VorlixApp().ResetServerRate(rate);
  return TRUE;
}
