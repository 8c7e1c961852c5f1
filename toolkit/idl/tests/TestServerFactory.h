// The class object of the test server, registered with COM for clients in
// other processes. Each instance it makes is a new TestOpcServer.
#pragma once

#include <objbase.h>

#include <atomic>

class TestServerFactory final : public IClassFactory {
 public:
  TestServerFactory() = default;
  TestServerFactory(const TestServerFactory&) = delete;
  TestServerFactory& operator=(const TestServerFactory&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** object) override;
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;

 private:
  ~TestServerFactory() = default;

  std::atomic<ULONG> references_{1};
};
