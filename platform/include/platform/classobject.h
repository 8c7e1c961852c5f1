// Class objects: the factories through which COM clients create objects of a
// class. A server registers its class object in the process-wide table; a client
// in the same process finds it by class identifier and creates objects through
// it. Registration and revocation work from any thread; the client-side calls
// need COM initialised on the calling thread.
#pragma once

#include "platform/unknown.h"

// IClassFactory, in the published slot order.
struct IClassFactory : public IUnknown {
  virtual HRESULT CreateInstance(IUnknown* pUnkOuter, REFIID riid, void** ppvObject) = 0;
  virtual HRESULT LockServer(BOOL fLock) = 0;

 protected:
  ~IClassFactory() = default;
};
typedef IClassFactory* LPCLASSFACTORY;

constexpr DWORD CLSCTX_INPROC_SERVER = 0x1;
constexpr DWORD CLSCTX_INPROC_HANDLER = 0x2;
constexpr DWORD CLSCTX_LOCAL_SERVER = 0x4;
constexpr DWORD CLSCTX_REMOTE_SERVER = 0x10;
constexpr DWORD CLSCTX_ALL = CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER;

// In one process both allow any number of clients; single use is not supported.
constexpr DWORD REGCLS_MULTIPLEUSE = 1;
constexpr DWORD REGCLS_MULTI_SEPARATE = 2;

// Names a remote machine; only NULL (this process) is supported.
struct COSERVERINFO;

// Registers the class object under the class identifier for the server
// contexts given (in-process and/or local server), AddRef'ing it; the cookie,
// never 0, goes to `lpdwRegister`. CO_E_OBJISREG when the class has a
// registered object already; E_INVALIDARG for a NULL argument, another server
// context or an unsupported flag.
HRESULT CoRegisterClassObject(REFCLSID rclsid, LPUNKNOWN pUnk, DWORD dwClsContext, DWORD flags,
                              LPDWORD lpdwRegister);
// Unlists the registration and releases its object; CO_E_OBJNOTREG for a cookie
// that is not registered.
HRESULT CoRevokeClassObject(DWORD dwRegister);

// The registered class object, asked for `riid`. It is found when its
// registration shares a context with `dwClsContext`; REGDB_E_CLASSNOTREG when
// none does. CO_E_NOTINITIALIZED on a thread without COM.
HRESULT CoGetClassObject(REFCLSID rclsid, DWORD dwClsContext, COSERVERINFO* pServerInfo, REFIID riid,
                         LPVOID* ppv);
// A new object of the class through its class object's IClassFactory; the
// errors of CoGetClassObject or CreateInstance. E_POINTER for a NULL `ppv`,
// which is NULL on every failure.
HRESULT CoCreateInstance(REFCLSID rclsid, LPUNKNOWN pUnkOuter, DWORD dwClsContext, REFIID riid, LPVOID* ppv);
