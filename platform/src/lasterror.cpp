#include "platform/lasterror.h"

namespace {
thread_local DWORD threadLastError = 0;
}

DWORD GetLastError() { return threadLastError; }

void SetLastError(DWORD errorCode) { threadLastError = errorCode; }
