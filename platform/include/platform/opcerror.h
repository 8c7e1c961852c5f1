// Result codes of the OPC Data Access interfaces, with their published values.
#pragma once

#include "platform/hresult.h"

constexpr HRESULT OPC_E_INVALIDHANDLE = MakeHResult(0xC0040001);
constexpr HRESULT OPC_E_BADTYPE = MakeHResult(0xC0040004);
constexpr HRESULT OPC_E_PUBLIC = MakeHResult(0xC0040005);
constexpr HRESULT OPC_E_BADRIGHTS = MakeHResult(0xC0040006);
constexpr HRESULT OPC_E_UNKNOWNITEMID = MakeHResult(0xC0040007);
constexpr HRESULT OPC_E_INVALIDITEMID = MakeHResult(0xC0040008);
constexpr HRESULT OPC_E_INVALIDFILTER = MakeHResult(0xC0040009);
constexpr HRESULT OPC_E_UNKNOWNPATH = MakeHResult(0xC004000A);
constexpr HRESULT OPC_E_RANGE = MakeHResult(0xC004000B);
constexpr HRESULT OPC_E_DUPLICATENAME = MakeHResult(0xC004000C);
constexpr HRESULT OPC_S_UNSUPPORTEDRATE = MakeHResult(0x0004000D);
constexpr HRESULT OPC_S_CLAMP = MakeHResult(0x0004000E);
constexpr HRESULT OPC_S_INUSE = MakeHResult(0x0004000F);
constexpr HRESULT OPC_E_INVALIDCONFIGFILE = MakeHResult(0xC0040010);
constexpr HRESULT OPC_E_NOTFOUND = MakeHResult(0xC0040011);
constexpr HRESULT OPC_E_INVALID_PID = MakeHResult(0xC0040203);
