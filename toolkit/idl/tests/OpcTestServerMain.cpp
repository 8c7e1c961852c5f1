// OpcTestServer.exe: a local COM server that COM starts from its LocalServer32
// key when a cross-process test asks for CLSID_ZelvoTestOpcServer.
//
// It serves until no client has held an object for two seconds (ten seconds if
// none came), then revokes its class object and still serves any client that
// reached the class object just before, so a client never finds it half gone.

#include "ServerLifetime.h"
#include "TestServerFactory.h"
#include "TestServerIdentity.h"

#include <cstdio>
#include <new>

namespace {
constexpr DWORD kIdleMs = 2000;
constexpr DWORD kFirstClientMs = 10000;
}  // namespace

int main() {
  HRESULT result = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  if (FAILED(result)) {
    std::fprintf(stderr, "OpcTestServer: CoInitializeEx failed: 0x%08lX\n", static_cast<unsigned long>(result));
    return 1;
  }
  auto* factory = new (std::nothrow) TestServerFactory();
  if (!factory) {
    std::fprintf(stderr, "OpcTestServer: out of memory\n");
    CoUninitialize();
    return 1;
  }
  DWORD cookie = 0;
  result = CoRegisterClassObject(CLSID_ZelvoTestOpcServer, factory, CLSCTX_LOCAL_SERVER, REGCLS_MULTIPLEUSE, &cookie);
  if (FAILED(result)) {
    std::fprintf(stderr, "OpcTestServer: CoRegisterClassObject failed: 0x%08lX\n", static_cast<unsigned long>(result));
    factory->Release();
    CoUninitialize();
    return 1;
  }
  ServerLifetime::WaitUntilUnused(kIdleMs, kFirstClientMs);
  CoRevokeClassObject(cookie);
  ServerLifetime::WaitUntilUnused(0, 0);
  factory->Release();
  CoUninitialize();
  return 0;
}
