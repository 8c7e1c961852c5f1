// BSTR: length-prefixed wide text of OLE Automation. The pointer addresses the
// first unit; the 32-bit byte length sits in the four bytes before it and a
// 16-bit zero follows the text, so a BSTR also reads as a zero-terminated
// string while it may hold zero units of its own. A null BSTR is a valid empty
// string for every function here.
#pragma once

#include "platform/wintypes.h"

BSTR SysAllocString(const OLECHAR* psz);
// Copies ui units from pch, or leaves them zero when pch is null.
BSTR SysAllocStringLen(const OLECHAR* pch, UINT ui);
// Copies len bytes from psz (zero bytes when psz is null); the byte length may be odd.
BSTR SysAllocStringByteLen(LPCSTR psz, UINT len);
// Replace *pbstr by a new copy; psz may point into the old string. FALSE when out of memory.
INT SysReAllocString(BSTR* pbstr, const OLECHAR* psz);
INT SysReAllocStringLen(BSTR* pbstr, const OLECHAR* psz, UINT len);
void SysFreeString(BSTR bstrString);
UINT SysStringLen(BSTR pbstr);
UINT SysStringByteLen(BSTR bstr);
