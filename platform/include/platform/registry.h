// The registry: hierarchical keys holding typed values under three predefined
// roots, with the target platform's functions, access rights and error codes.
// Key and value names are case-insensitive and keep the case they were created
// with. The keys live in RegistryStore (registrystore.h), which keeps them in
// files.
// The ANSI forms convert names and string data through the ANSI code page
// (codepage.h); a stored text that code page cannot hold is not handed out
// (ERROR_NO_UNICODE_TRANSLATION).
#pragma once

#include "platform/accessmask.h"
#include "platform/hresult.h"
#include "platform/kernelobject.h"
#include "platform/wintypes.h"

struct HKEY__;
typedef HKEY__* HKEY;
typedef HKEY* PHKEY;
typedef ACCESS_MASK REGSAM;
typedef LONG LSTATUS;

// The predefined roots carry the target platform's sign-extended values.
#define ZELVO_PREDEFINED_HKEY(value) (reinterpret_cast<HKEY>(static_cast<intptr_t>(static_cast<int32_t>(value))))
#define HKEY_CLASSES_ROOT ZELVO_PREDEFINED_HKEY(0x80000000u)
#define HKEY_CURRENT_USER ZELVO_PREDEFINED_HKEY(0x80000001u)
#define HKEY_LOCAL_MACHINE ZELVO_PREDEFINED_HKEY(0x80000002u)

constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
constexpr REGSAM KEY_SET_VALUE = 0x0002;
constexpr REGSAM KEY_CREATE_SUB_KEY = 0x0004;
constexpr REGSAM KEY_ENUMERATE_SUB_KEYS = 0x0008;
constexpr REGSAM KEY_NOTIFY = 0x0010;
constexpr REGSAM KEY_CREATE_LINK = 0x0020;
constexpr REGSAM KEY_WOW64_64KEY = 0x0100;
constexpr REGSAM KEY_WOW64_32KEY = 0x0200;
constexpr REGSAM KEY_READ = READ_CONTROL | KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS | KEY_NOTIFY;
constexpr REGSAM KEY_WRITE = READ_CONTROL | KEY_SET_VALUE | KEY_CREATE_SUB_KEY;
constexpr REGSAM KEY_EXECUTE = KEY_READ;
constexpr REGSAM KEY_ALL_ACCESS = STANDARD_RIGHTS_REQUIRED | KEY_QUERY_VALUE | KEY_SET_VALUE | KEY_CREATE_SUB_KEY |
                                  KEY_ENUMERATE_SUB_KEYS | KEY_NOTIFY | KEY_CREATE_LINK;

constexpr DWORD REG_NONE = 0;
constexpr DWORD REG_SZ = 1;
constexpr DWORD REG_EXPAND_SZ = 2;
constexpr DWORD REG_BINARY = 3;
constexpr DWORD REG_DWORD = 4;
constexpr DWORD REG_MULTI_SZ = 7;

constexpr DWORD REG_OPTION_NON_VOLATILE = 0x0000;
constexpr DWORD REG_CREATED_NEW_KEY = 1;
constexpr DWORD REG_OPENED_EXISTING_KEY = 2;

// RegGetValue: which stored types the caller accepts, and how failures leave the buffer.
constexpr DWORD RRF_RT_REG_NONE = 0x00000001;
constexpr DWORD RRF_RT_REG_SZ = 0x00000002;
constexpr DWORD RRF_RT_REG_EXPAND_SZ = 0x00000004;
constexpr DWORD RRF_RT_REG_BINARY = 0x00000008;
constexpr DWORD RRF_RT_REG_DWORD = 0x00000010;
constexpr DWORD RRF_RT_REG_MULTI_SZ = 0x00000020;
constexpr DWORD RRF_RT_ANY = 0x0000FFFF;
constexpr DWORD RRF_ZEROONFAILURE = 0x20000000;

// Creates the key (and any missing keys on its path) or opens it when it exists.
// The parent handle needs no particular right. The class, options and security
// attributes are accepted and not kept.
LSTATUS RegCreateKeyExA(HKEY key, LPCSTR subKey, DWORD reserved, LPSTR keyClass, DWORD options, REGSAM desired,
                        LPSECURITY_ATTRIBUTES security, PHKEY result, LPDWORD disposition);
LSTATUS RegCreateKeyExW(HKEY key, LPCWSTR subKey, DWORD reserved, LPWSTR keyClass, DWORD options, REGSAM desired,
                        LPSECURITY_ATTRIBUTES security, PHKEY result, LPDWORD disposition);
// A NULL or empty subkey opens a new handle to the key itself.
LSTATUS RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD options, REGSAM desired, PHKEY result);
LSTATUS RegOpenKeyExW(HKEY key, LPCWSTR subKey, DWORD options, REGSAM desired, PHKEY result);
LSTATUS RegCloseKey(HKEY key);

// A NULL or empty value name is the key's default value. The data is kept as
// given; the ANSI form turns string data into wide text first.
LSTATUS RegSetValueExA(HKEY key, LPCSTR valueName, DWORD reserved, DWORD type, const BYTE* data, DWORD dataBytes);
LSTATUS RegSetValueExW(HKEY key, LPCWSTR valueName, DWORD reserved, DWORD type, const BYTE* data, DWORD dataBytes);
// Without a buffer, *dataBytes receives the size; with one too small,
// ERROR_MORE_DATA and the size. String data comes back as stored (the ANSI form
// narrows it), so its terminator is there only if it was written.
LSTATUS RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data,
                         LPDWORD dataBytes);
LSTATUS RegQueryValueExW(HKEY key, LPCWSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data,
                         LPDWORD dataBytes);
// Reads a value of an accepted type (RRF_RT_*) from the key or from its subkey;
// string data always comes back terminated. ERROR_UNSUPPORTED_TYPE for another type.
LSTATUS RegGetValueA(HKEY key, LPCSTR subKey, LPCSTR valueName, DWORD flags, LPDWORD type, LPVOID data,
                     LPDWORD dataBytes);
LSTATUS RegGetValueW(HKEY key, LPCWSTR subKey, LPCWSTR valueName, DWORD flags, LPDWORD type, LPVOID data,
                     LPDWORD dataBytes);
LSTATUS RegDeleteValueA(HKEY key, LPCSTR valueName);
LSTATUS RegDeleteValueW(HKEY key, LPCWSTR valueName);
// Deletes a key that has no subkeys (ERROR_ACCESS_DENIED otherwise) with its
// values; an empty subkey names the key itself. Open handles to it then answer
// ERROR_KEY_DELETED.
LSTATUS RegDeleteKeyA(HKEY key, LPCSTR subKey);
LSTATUS RegDeleteKeyW(HKEY key, LPCWSTR subKey);

// Subkeys in name order, values in the order they were first set. No class or
// write time is kept: the class comes back empty and the time zero.
LSTATUS RegEnumKeyExA(HKEY key, DWORD index, LPSTR name, LPDWORD nameChars, LPDWORD reserved, LPSTR keyClass,
                      LPDWORD classChars, LPFILETIME lastWriteTime);
LSTATUS RegEnumValueA(HKEY key, DWORD index, LPSTR valueName, LPDWORD valueNameChars, LPDWORD reserved,
                      LPDWORD type, LPBYTE data, LPDWORD dataBytes);
