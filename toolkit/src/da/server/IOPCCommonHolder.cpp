#include "da/server/IOPCCommonHolder.h"

#include "app/CallBoundary.h"
#include "app/OutPointers.h"
#include "app/TaskArray.h"
#include "da/server/OPCServer.h"

#include "platform/widetext.h"

namespace {
// LOCALE_SYSTEM_DEFAULT: the only locale the server speaks.
constexpr LCID kSystemDefaultLocale = 0x0800;
}  // namespace

IOPCCommonHolder::IOPCCommonHolder(OPCServer& owner) : InterfaceHolder(owner, "IOPCCommon", "OPCServer") {}

HRESULT IOPCCommonHolder::SetLocaleID(LCID dwLcid) { return dwLcid == kSystemDefaultLocale ? S_OK : E_INVALIDARG; }

HRESULT IOPCCommonHolder::GetLocaleID(LCID* pdwLcid) {
  return AnswerComCall([&]() -> HRESULT {
    if (pdwLcid == nullptr) return E_INVALIDARG;
    *pdwLcid = kSystemDefaultLocale;
    return S_OK;
  });
}

HRESULT IOPCCommonHolder::QueryAvailableLocaleIDs(DWORD* pdwCount, LCID** pdwLcid) {
  return AnswerComCall([&]() -> HRESULT {
    if (!ClearOutPointers(pdwCount, pdwLcid)) return E_INVALIDARG;
    TaskArray<LCID> locales(1);
    if (!locales) return E_OUTOFMEMORY;
    locales[0] = kSystemDefaultLocale;
    *pdwLcid = locales.Release();
    *pdwCount = 1;
    return S_OK;
  });
}

HRESULT IOPCCommonHolder::GetErrorString(HRESULT dwError, LPWSTR* ppString) {
  return AnswerComCall([&]() -> HRESULT {
    if (ppString == nullptr) return E_INVALIDARG;
    *ppString = nullptr;
    const CVorlixApp& app = VorlixApp();
    const std::string text = app.GetErrorText(dwError);
    if (text.empty()) return E_FAIL;
    *ppString = app.AllocWideFromAnsi(text.c_str(), TRUE);
    return *ppString != nullptr ? S_OK : E_OUTOFMEMORY;
  });
}

HRESULT IOPCCommonHolder::SetClientName(LPCWSTR szName) {
  return AnswerComCall([&]() -> HRESULT {
    if (szName == nullptr) return E_INVALIDARG;
    std::optional<std::string> name = NarrowAnsi(szName);
    if (!name) return E_INVALIDARG;
    VorlixApp().TraceMessage("SetClientName ", name->c_str());
    owner_.SetClientName(std::move(*name));
    return S_OK;
  });
}
