// Code pages and the conversions between their 8-bit text and wide text.
//
// The system's ANSI code page (CP_ACP) is 936 (GBK, which holds GB2312 and
// ASCII) unless the environment variable ZELVO_ANSI_CODEPAGE names another
// that the system can convert (1252, 65001, ...), as a system setting would.
// It is read once, on first use, and holds for the life of the process.
//
// Text the target code page cannot hold is never replaced by a default
// character: the conversion fails with ERROR_NO_UNICODE_TRANSLATION, so a name
// that cannot be written in the code page never turns into another name.
#pragma once

#include "platform/wintypes.h"

constexpr UINT CP_ACP = 0;
constexpr UINT CP_UTF8 = 65001;

constexpr DWORD MB_PRECOMPOSED = 0x1;
constexpr DWORD MB_ERR_INVALID_CHARS = 0x8;
constexpr DWORD WC_ERR_INVALID_CHARS = 0x80;
constexpr DWORD WC_NO_BEST_FIT_CHARS = 0x400;

UINT GetACP();

// Whether the byte is the first of a two-byte character in the code page (a
// double-byte code page such as 936; never in UTF-8 or a single-byte code
// page). The second byte of such a character may be any byte from 0x40 up, an
// ASCII character's included, so text is walked character by character, not
// searched byte by byte, for a separator.
BOOL IsDBCSLeadByteEx(UINT codePage, BYTE testChar);
BOOL IsDBCSLeadByte(BYTE testChar);

// Converts `byteCount` bytes (-1: up to and with the terminating zero) into
// `wide`, at most `wideCount` units; a `wideCount` of 0 asks for the size.
// Returns the units written (or needed), 0 on failure with the last error set:
// ERROR_INVALID_PARAMETER for a NULL text, a zero or negative size other than
// -1 or an unknown code page, ERROR_INVALID_FLAGS for flags other than the two
// above, ERROR_INSUFFICIENT_BUFFER, and with MB_ERR_INVALID_CHARS
// ERROR_NO_UNICODE_TRANSLATION for bytes that start no character. Without
// that flag each such byte becomes U+FFFD.
int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR text, int byteCount, LPWSTR wide, int wideCount);

// The reverse, with the same size conventions. `defaultChar` is never used;
// `usedDefaultChar`, when given, is set to FALSE.
int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR text, int wideCount, LPSTR narrow, int byteCount,
                        LPCSTR defaultChar, LPBOOL usedDefaultChar);
