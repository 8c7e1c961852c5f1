// The loader's module functions for the one module a process has here: its
// executable. Its file name is the path the kernel gives for the running
// program, turned from the file system's UTF-8 into wide text.
#pragma once

#include "platform/wintypes.h"

struct HINSTANCE__;
typedef HINSTANCE__* HMODULE;

constexpr DWORD MAX_PATH = 260;

// NULL names the executable; any other module is unknown (0,
// ERROR_MOD_NOT_FOUND). Returns the characters copied without the terminator.
// A path that does not fit is cut to size - 1 characters and terminated, and
// the call returns size with ERROR_INSUFFICIENT_BUFFER.
DWORD GetModuleFileNameW(HMODULE module, LPWSTR fileName, DWORD size);
