// The system message table: the texts the target platform gives for its error
// and HRESULT codes, in its own (English) wording. Only lookups in the system
// table are supported; the texts carry no inserts, so the insert and argument
// flags change nothing.
#pragma once

#include "platform/wintypes.h"

#include <cstdarg>

constexpr DWORD FORMAT_MESSAGE_ALLOCATE_BUFFER = 0x00000100;
constexpr DWORD FORMAT_MESSAGE_IGNORE_INSERTS = 0x00000200;
constexpr DWORD FORMAT_MESSAGE_FROM_STRING = 0x00000400;
constexpr DWORD FORMAT_MESSAGE_FROM_HMODULE = 0x00000800;
constexpr DWORD FORMAT_MESSAGE_FROM_SYSTEM = 0x00001000;
constexpr DWORD FORMAT_MESSAGE_ARGUMENT_ARRAY = 0x00002000;

// Copies the text of `messageId` (ending in "\r\n") with its terminating zero
// into `buffer` and returns its length. Every language gets the same texts.
// Returns 0 with last error ERROR_MR_MID_NOT_FOUND for a code the table does not
// know, ERROR_INSUFFICIENT_BUFFER when the text and its zero do not fit in
// `size` characters, and ERROR_INVALID_PARAMETER for any source other than the
// system table or for a NULL buffer.
DWORD FormatMessageA(DWORD flags, LPCVOID source, DWORD messageId, DWORD languageId, LPSTR buffer, DWORD size,
                     va_list* arguments);
