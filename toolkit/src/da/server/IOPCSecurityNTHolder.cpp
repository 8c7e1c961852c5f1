#include "da/server/IOPCSecurityNTHolder.h"

#include "app/CallBoundary.h"
#include "da/server/OPCServer.h"

#include "platform/callcontext.h"

namespace {
// The answer to a client whose impersonation level is below the minimum.
constexpr HRESULT kImpersonationLevelTooLow = MakeHResult(0xC0040302);
}  // namespace

IOPCSecurityNTHolder::IOPCSecurityNTHolder(OPCServer& server) : InterfaceHolder(server, "IOPCSecurityNT", "OPCServer") {}

HRESULT IOPCSecurityNTHolder::IsAvailableNT(BOOL* pbAvailable) {
  return AnswerComCall([&]() -> HRESULT {
    if (pbAvailable == nullptr) return E_INVALIDARG;
    *pbAvailable = VorlixApp().NTSecurityEnabled();
    return S_OK;
  });
}

HRESULT IOPCSecurityNTHolder::QueryMinImpersonationLevel(DWORD* pdwMinImpLevel) {
  return AnswerComCall([&]() -> HRESULT {
    if (pdwMinImpLevel == nullptr) return E_INVALIDARG;
    *pdwMinImpLevel = VorlixApp().MinImpersonationLevel();
    return S_OK;
  });
}

HRESULT IOPCSecurityNTHolder::ChangeUser() {
  return AnswerComCall([&]() -> HRESULT {
    HRESULT hr = CoImpersonateClient();
    if (FAILED(hr)) return hr;
    DWORD level = RPC_C_IMP_LEVEL_DEFAULT;
    hr = CoQueryClientBlanket(nullptr, nullptr, nullptr, nullptr, &level, nullptr, nullptr);
    if (SUCCEEDED(hr) && level < VorlixApp().MinImpersonationLevel()) hr = kImpersonationLevelTooLow;
    // The recheck's outcome is not the client's concern: the items carry it.
    if (SUCCEEDED(hr)) owner_.RecheckItemRights();
    CoRevertToSelf();
    return SUCCEEDED(hr) ? S_OK : hr;
  });
}
