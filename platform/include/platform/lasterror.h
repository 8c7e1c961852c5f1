// The calling thread's last error code, as the target platform's BOOL-returning
// functions leave it for GetLastError.
#pragma once

#include "platform/wintypes.h"

DWORD GetLastError();
void SetLastError(DWORD errorCode);
