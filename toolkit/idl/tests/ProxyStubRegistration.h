// What the marshalling tests share: the folder of the test program, and the
// registration of OpcProxyStub.dll beside it as the proxy/stub of the OPC
// interfaces.
#pragma once

#include <objbase.h>

#include <string>

std::wstring BesideThisProgram(const wchar_t* name);

// Registers the OPC interfaces' proxy/stub DLL, as regsvr32 would.
HRESULT RegisterProxyStub();
