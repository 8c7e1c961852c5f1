#include "ProxyStubRegistration.h"

std::wstring BesideThisProgram(const wchar_t* name) {
  wchar_t path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path, length);
  return folder.substr(0, folder.find_last_of(L"\\/") + 1) + name;
}

HRESULT RegisterProxyStub() {
  HMODULE dll = LoadLibraryW(BesideThisProgram(L"OpcProxyStub.dll").c_str());
  if (!dll) return HRESULT_FROM_WIN32(GetLastError());
  using Entry = HRESULT(STDAPICALLTYPE*)();
  auto registerServer = reinterpret_cast<Entry>(reinterpret_cast<void*>(GetProcAddress(dll, "DllRegisterServer")));
  const HRESULT result = registerServer ? registerServer() : HRESULT_FROM_WIN32(GetLastError());
  FreeLibrary(dll);
  return result;
}
