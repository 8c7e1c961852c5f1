#include "TestServerFactory.h"

#include "ServerLifetime.h"
#include "TestOpcServer.h"

#include <new>

HRESULT TestServerFactory::QueryInterface(REFIID riid, void** object) {
  if (!object) return E_POINTER;
  if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IClassFactory)) {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  *object = static_cast<IClassFactory*>(this);
  AddRef();
  return S_OK;
}

ULONG TestServerFactory::AddRef() { return ++references_; }

ULONG TestServerFactory::Release() {
  const ULONG left = --references_;
  if (left == 0) delete this;
  return left;
}

HRESULT TestServerFactory::CreateInstance(IUnknown* outer, REFIID riid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (outer) return CLASS_E_NOAGGREGATION;
  auto* server = new (std::nothrow) TestOpcServer();
  if (!server) return E_OUTOFMEMORY;
  const HRESULT result = server->QueryInterface(riid, object);
  server->Release();
  return result;
}

HRESULT TestServerFactory::LockServer(BOOL lock) {
  if (lock) {
    ServerLifetime::Acquire();
  } else {
    ServerLifetime::Release();
  }
  return S_OK;
}
