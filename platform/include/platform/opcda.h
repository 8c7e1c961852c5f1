// OPC Data Access structures and constants, declared from the published field
// lists and values.
#pragma once

#include "platform/opcerror.h"
#include "platform/wintypes.h"

typedef DWORD OPCHANDLE;

// The enumerations a client passes in are 32-bit words on the wire: any value
// may arrive, so each has DWORD as its type and every value is one it can hold.

// Which groups a group enumerator lists.
enum OPCENUMSCOPE : DWORD {
  OPC_ENUM_PRIVATE_CONNECTIONS = 1,
  OPC_ENUM_PUBLIC_CONNECTIONS = 2,
  OPC_ENUM_ALL_CONNECTIONS = 3,
  OPC_ENUM_PRIVATE = 4,
  OPC_ENUM_PUBLIC = 5,
  OPC_ENUM_ALL = 6,
};

// Where a read takes its values from.
enum OPCDATASOURCE : DWORD { OPC_DS_CACHE = 1, OPC_DS_DEVICE = 2 };

// Item access rights.
constexpr DWORD OPC_READABLE = 0x01;
constexpr DWORD OPC_WRITEABLE = 0x02;

// Quality: the two high bits of the low byte.
constexpr WORD OPC_QUALITY_MASK = 0xC0;
constexpr WORD OPC_QUALITY_BAD = 0x00;
constexpr WORD OPC_QUALITY_UNCERTAIN = 0x40;
constexpr WORD OPC_QUALITY_GOOD = 0xC0;
// Bad, out of service: the value of an inactive item or group, read from the cache.
constexpr WORD OPC_QUALITY_OUT_OF_SERVICE = 0x1C;

// What the engineering-unit information of an item describes.
enum OPCEUTYPE { OPC_NOENUM = 0, OPC_ANALOG = 1, OPC_ENUMERATED = 2 };

// How the address space is organised, and what a browse lists.
enum OPCNAMESPACETYPE { OPC_NS_HIERARCHIAL = 1, OPC_NS_FLAT = 2 };
enum OPCBROWSETYPE : DWORD { OPC_BRANCH = 1, OPC_LEAF = 2, OPC_FLAT = 3 };

struct OPCITEMDEF {
  LPWSTR szAccessPath;
  LPWSTR szItemID;
  BOOL bActive;
  OPCHANDLE hClient;
  DWORD dwBlobSize;
  BYTE* pBlob;
  VARTYPE vtRequestedDataType;
  WORD wReserved;
};

struct OPCITEMRESULT {
  OPCHANDLE hServer;
  VARTYPE vtCanonicalDataType;
  WORD wReserved;
  DWORD dwAccessRights;
  DWORD dwBlobSize;
  BYTE* pBlob;
};
