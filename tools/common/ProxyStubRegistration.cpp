#include "ProxyStubRegistration.h"

#include "ProgramFolder.h"

std::wstring ProxyStubRegistration::Path() { return ProgramFolder::Beside(kFileName); }

HRESULT ProxyStubRegistration::Register() {
  HMODULE dll = LoadLibraryW(Path().c_str());
  if (!dll) return HRESULT_FROM_WIN32(GetLastError());
  using Entry = HRESULT(STDAPICALLTYPE*)();
  auto registerServer = reinterpret_cast<Entry>(reinterpret_cast<void*>(GetProcAddress(dll, "DllRegisterServer")));
  const HRESULT result = registerServer ? registerServer() : HRESULT_FROM_WIN32(GetLastError());
  FreeLibrary(dll);
  return result;
}
