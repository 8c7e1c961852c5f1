// Vorlix: the exported C interface of the OPC server toolkit, and the callbacks
// it makes into its host.
//
// Strings are zero-terminated 8-bit texts (Latin-1). A tag handle is a 32-bit
// value; VORLIX_INVALID_TAG (-1) means failure and never names a tag. Qualities
// are 16-bit OPC quality words. Every callback is called with the library's
// lock released; callbacks come from library threads, concurrently with the
// host's own calls.
#pragma once

#include "platform/wintypes.h"

#define VORLIX_API extern "C" __attribute__((visibility("default")))

constexpr DWORD VORLIX_INVALID_TAG = 0xFFFFFFFF;

// Host callbacks. None returns a value.

// A client's trace line, in a 100-byte buffer (longer lines are cut).
typedef void (*EVENTMSGPROC)(char* text);
// A client adds or validates an item that names no visible tag: copies of the
// access path and item ID. The tag may be created inside; it is looked up once more.
typedef void (*UNKNOWNITEMPROC)(char* accessPath, char* itemId);

// Library revision: 2051 (0x0803).
VORLIX_API WORD VarnOPCsvrRevision();

// The vendor text of the status the server reports; NULL is ignored.
VORLIX_API void SetVarnVendorInfo(char* vendor);

// Sets the item-name delimiter when the argument is not 0; the delimiter now in force.
VORLIX_API char SetVarnOPCsvrQualifier(char delimiter);

// Each Enable call replaces the callback set before; NULL switches it off.
// TRUE when a callback is set.
VORLIX_API BOOL EnableEventMsgs(EVENTMSGPROC proc);
VORLIX_API BOOL EnableUnknownItemNotification(UNKNOWNITEMPROC proc);
