// The calling thread's last-error code, as the kernel functions leave it when
// they fail.
#pragma once

#include "platform/wintypes.h"

DWORD GetLastError();
void SetLastError(DWORD errorCode);
