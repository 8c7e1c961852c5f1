// Exports that start, pace and stop the OPC server.
#include "CVorlixApp.h"
#include "Vorlix.h"

#include <cstring>

namespace {
constexpr DWORD kApartmentThreaded = 2;
}  // namespace

VORLIX_API BOOL SetThreadingModel(DWORD model) {
  VorlixApp().SetApartmentThreaded(model == kApartmentThreaded);
  return TRUE;
}

VORLIX_API BOOL InitVarnOPCsvr(BYTE* clsid, UINT serverRate) {
  if (clsid == nullptr) return FALSE;
  CLSID classId;
  std::memcpy(&classId, clsid, sizeof classId);
  return VorlixApp().InitServer(classId, serverRate);
}

VORLIX_API BOOL UninitVarnOPCsvr() { return VorlixApp().UninitServer(); }

VORLIX_API BOOL ResetVarnServerRate(UINT rate) {
  VorlixApp().ResetServerRate(rate);
  return TRUE;
}
