#include "runtime/OPCClassFactory.h"

#include "app/CVorlixApp.h"
#include "app/CallBoundary.h"
#include "app/OutPointers.h"

HRESULT OPCClassFactory::QueryInterface(REFIID riid, void** ppvObject) {
  if (ppvObject == nullptr) return E_INVALIDARG;
  if (riid != IID_IUnknown && riid != IID_IClassFactory) {
    *ppvObject = nullptr;
    return E_NOINTERFACE;
  }
  *ppvObject = static_cast<IClassFactory*>(this);
  AddRef();
  return S_OK;
}

ULONG OPCClassFactory::AddRef() { return static_cast<ULONG>(++references_); }

ULONG OPCClassFactory::Release() { return static_cast<ULONG>(--references_); }

HRESULT OPCClassFactory::CreateInstance(IUnknown* pUnkOuter, REFIID riid, void** ppvObject) {
  return AnswerComCall([&]() -> HRESULT {
    if (pUnkOuter != nullptr) {
      ClearOutPointers(ppvObject);
      return CLASS_E_NOAGGREGATION;
    }
    return VorlixApp().CreateServer(riid, ppvObject);
  });
}

HRESULT OPCClassFactory::LockServer(BOOL) { return S_OK; }
