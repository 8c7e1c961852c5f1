// The class object through which OPC clients create one OPCServer each. It is
// registered once and lives until the library goes; Release never deletes it.
#pragma once

#include "platform/classobject.h"

#include <atomic>

class OPCClassFactory final : public IClassFactory {
 public:
  // A null out-pointer gives E_INVALIDARG; IUnknown and IClassFactory give the
  // factory itself; any other interface a null out-pointer and E_NOINTERFACE.
  HRESULT QueryInterface(REFIID riid, void** ppvObject) override;
  ULONG AddRef() override;
  ULONG Release() override;

  // A new client's server object (CVorlixApp::CreateServer); CLASS_E_NOAGGREGATION with an outer object.
  HRESULT CreateInstance(IUnknown* pUnkOuter, REFIID riid, void** ppvObject) override;
  // S_OK: the library stays loaded as long as its host does.
  HRESULT LockServer(BOOL fLock) override;

 private:
  std::atomic<LONG> references_{0};
};
