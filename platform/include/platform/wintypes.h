// Scalar types, text types and small structures of the target platform, so that
// toolkit code reads as it would there. Sizes follow the target platform
// (LONG and DWORD are 32-bit, wide text is 16-bit units), not the LP64 defaults.
#pragma once

#include <cstddef>
#include <cstdint>

typedef int BOOL;
typedef unsigned char BOOLEAN;
typedef unsigned char BYTE;
typedef uint16_t WORD;
typedef uint32_t DWORD;
typedef unsigned int UINT;
typedef int INT;
typedef int32_t LONG;
typedef uint32_t ULONG;
typedef int16_t SHORT;
typedef uint16_t USHORT;
typedef int64_t LONGLONG;
typedef uint64_t ULONGLONG;
typedef char CHAR;
typedef float FLOAT;
typedef double DOUBLE;
typedef size_t SIZE_T;
typedef void* PVOID;
typedef void* LPVOID;
typedef const void* LPCVOID;
typedef BOOL* LPBOOL;
typedef DWORD* LPDWORD;
typedef BYTE* LPBYTE;

typedef int32_t HRESULT;
typedef DWORD LCID;
typedef WORD LANGID;
typedef uint16_t VARTYPE;
typedef double DATE;
typedef WORD CLIPFORMAT;
typedef SHORT VARIANT_BOOL;

// Wide text is 16-bit units on the target platform, never wchar_t (32-bit here).
typedef char16_t WCHAR;
typedef WCHAR OLECHAR;
typedef CHAR* LPSTR;
typedef const CHAR* LPCSTR;
typedef WCHAR* LPWSTR;
typedef const WCHAR* LPCWSTR;
typedef OLECHAR* LPOLESTR;
typedef const OLECHAR* LPCOLESTR;
typedef OLECHAR* BSTR;

#define OLESTR(text) u##text

// Calling conventions of callbacks and system functions: Linux has one.
#define CALLBACK
#define WINAPI

// Kernel objects (events, threads, tokens) are opaque handles.
typedef void* HANDLE;
typedef HANDLE* PHANDLE;
#define INVALID_HANDLE_VALUE (reinterpret_cast<HANDLE>(static_cast<intptr_t>(-1)))

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

#define VARIANT_TRUE (static_cast<VARIANT_BOOL>(-1))
#define VARIANT_FALSE (static_cast<VARIANT_BOOL>(0))

#define LOWORD(l) (static_cast<WORD>(static_cast<DWORD>(l) & 0xffff))
#define HIWORD(l) (static_cast<WORD>((static_cast<DWORD>(l) >> 16) & 0xffff))

// 100-nanosecond ticks since 1601-01-01 UTC, split in two 32-bit halves.
struct FILETIME {
  DWORD dwLowDateTime;
  DWORD dwHighDateTime;
};
typedef FILETIME* LPFILETIME;

struct SYSTEMTIME {
  WORD wYear;
  WORD wMonth;
  WORD wDayOfWeek;
  WORD wDay;
  WORD wHour;
  WORD wMinute;
  WORD wSecond;
  WORD wMilliseconds;
};
typedef SYSTEMTIME* LPSYSTEMTIME;

// Currency: a 64-bit integer scaled by 10000.
union CY {
  struct {
    ULONG Lo;
    LONG Hi;
  };
  LONGLONG int64;
};

static_assert(sizeof(FILETIME) == 8, "FILETIME is two 32-bit words");
static_assert(sizeof(SYSTEMTIME) == 16, "SYSTEMTIME is eight 16-bit words");
static_assert(sizeof(CY) == 8, "CY is 64 bits");
static_assert(sizeof(WCHAR) == 2, "wide text is 16-bit units");
