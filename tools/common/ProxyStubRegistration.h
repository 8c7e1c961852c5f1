// The proxy/stub DLL of the OPC interfaces, OpcProxyStub.dll, beside the
// running program: registered as regsvr32 would, so that COM marshals the
// interfaces between processes and apartments.
#pragma once

#include <windows.h>

#include <string>

class ProxyStubRegistration {
 public:
  static constexpr wchar_t kFileName[] = L"OpcProxyStub.dll";

  static std::wstring Path();
  // The DLL's DllRegisterServer answer, or why it could not be called.
  static HRESULT Register();
};
