// GUID, IID and CLSID with the target platform's in-memory layout, and the
// standard COM identifiers the system names.
#pragma once

#include "platform/wintypes.h"

#include <cstring>

struct GUID {
  uint32_t Data1;
  uint16_t Data2;
  uint16_t Data3;
  uint8_t Data4[8];
};
static_assert(sizeof(GUID) == 16, "GUID is 16 bytes");

typedef GUID IID;
typedef GUID CLSID;
typedef GUID CATID;
typedef const GUID& REFGUID;
typedef const IID& REFIID;
typedef const CLSID& REFCLSID;
typedef IID* LPIID;
typedef CLSID* LPCLSID;

inline bool IsEqualGUID(REFGUID a, REFGUID b) { return std::memcmp(&a, &b, sizeof(GUID)) == 0; }
inline bool IsEqualIID(REFIID a, REFIID b) { return IsEqualGUID(a, b); }
inline bool IsEqualCLSID(REFCLSID a, REFCLSID b) { return IsEqualGUID(a, b); }
inline bool operator==(REFGUID a, REFGUID b) { return IsEqualGUID(a, b); }
inline bool operator!=(REFGUID a, REFGUID b) { return !IsEqualGUID(a, b); }

extern const GUID GUID_NULL;
#define IID_NULL GUID_NULL
#define CLSID_NULL GUID_NULL

// Standard COM interfaces and classes.
extern const IID IID_IUnknown;
extern const IID IID_IClassFactory;
extern const IID IID_IMalloc;
extern const IID IID_IMarshal;
extern const IID IID_IRpcChannel;
extern const IID IID_IRpcStub;
extern const IID IID_IStubManager;
extern const IID IID_IRpcProxy;
extern const IID IID_IProxyManager;
extern const IID IID_IMoniker;
extern const IID IID_IInternalMoniker;
extern const IID IID_IMessageFilter;
extern const IID IID_IStdMarshalInfo;
extern const IID IID_IExternalConnection;
extern const IID IID_IRpcChannelBuffer;
extern const IID IID_IRpcProxyBuffer;
extern const IID IID_IRpcStubBuffer;
extern const IID IID_IPersist;
extern const IID IID_IPersistFile;
extern const IID IID_IEnumString;
extern const IID IID_IEnumUnknown;
extern const IID IID_IDataObject;
extern const IID IID_IAdviseSink;
extern const IID IID_IEnumFORMATETC;
extern const IID IID_IEnumSTATDATA;
extern const IID IID_IConnectionPointContainer;
extern const IID IID_IConnectionPoint;
extern const IID IID_IEnumConnectionPoints;
extern const IID IID_IEnumConnections;
extern const CLSID CLSID_StdMarshal;
