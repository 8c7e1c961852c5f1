#include "com/QueryOwnInterface.h"

#include "app/CVorlixApp.h"
#include "app/CallBoundary.h"
#include "app/IIDTraceName.h"

HRESULT QueryOwnInterface(IUnknown& self, REFIID ownIid, const char* ownTraceName, const char* traceText, REFIID riid,
                          void** ppvObject) {
  return AnswerComCall([&]() -> HRESULT {
    const auto trace = [traceText](const char* outcome) { VorlixApp().TraceMessage(traceText, outcome); };
    if (ppvObject == nullptr) {
      trace(" E_INVALIDARG");
      return E_INVALIDARG;
    }
    const bool unknown = riid == IID_IUnknown;
    const bool own = !unknown && riid == ownIid;
    trace(unknown ? " IID_IUnknown" : own ? ownTraceName : IIDTraceName(riid));
    if (!unknown && !own) {
      *ppvObject = nullptr;
      return E_NOINTERFACE;
    }
    self.AddRef();
    *ppvObject = &self;
    return S_OK;
  });
}
