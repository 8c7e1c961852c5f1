#include "platform/cominit.h"

#include "com/apartment.h"

namespace {

struct ThreadApartment {
  LONG initializations = 0;
  bool apartmentThreaded = false;
};

thread_local ThreadApartment apartment;

}  // namespace

HRESULT CoInitializeEx(LPVOID reserved, DWORD coInit) {
  if (reserved != nullptr) return E_INVALIDARG;
  const bool apartmentThreaded = (coInit & COINIT_APARTMENTTHREADED) != 0;
  if (apartment.initializations > 0) {
    if (apartment.apartmentThreaded != apartmentThreaded) return RPC_E_CHANGED_MODE;
    ++apartment.initializations;
    return S_FALSE;
  }
  apartment.apartmentThreaded = apartmentThreaded;
  apartment.initializations = 1;
  return S_OK;
}

HRESULT CoInitialize(LPVOID reserved) { return CoInitializeEx(reserved, COINIT_APARTMENTTHREADED); }

void CoUninitialize() {
  if (apartment.initializations > 0) --apartment.initializations;
}

bool IsComInitializedOnThisThread() { return apartment.initializations > 0; }
