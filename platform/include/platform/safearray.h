// SAFEARRAY: the self-describing array of OLE Automation, with the target
// platform's descriptor layout. Dimensions are given to SafeArrayCreate
// left-most first and kept in reverse order in rgsabound, as on the target
// platform; the first index of an element varies fastest in memory.
// Descriptors come from SafeArrayCreate / SafeArrayCreateVector / SafeArrayCopy.
#pragma once

#include "platform/hresult.h"
#include "platform/wintypes.h"

struct SAFEARRAYBOUND {
  ULONG cElements;
  LONG lLbound;
};
typedef SAFEARRAYBOUND* LPSAFEARRAYBOUND;

struct SAFEARRAY {
  USHORT cDims;
  USHORT fFeatures;
  ULONG cbElements;
  ULONG cLocks;
  void* pvData;
  SAFEARRAYBOUND rgsabound[1];
};
typedef SAFEARRAY* LPSAFEARRAY;
static_assert(offsetof(SAFEARRAY, pvData) == 16 && sizeof(SAFEARRAY) == 32,
              "SAFEARRAY descriptor layout of the target platform");

// fFeatures bits.
constexpr USHORT FADF_AUTO = 0x0001;
constexpr USHORT FADF_STATIC = 0x0002;
constexpr USHORT FADF_EMBEDDED = 0x0004;
constexpr USHORT FADF_FIXEDSIZE = 0x0010;
constexpr USHORT FADF_RECORD = 0x0020;
constexpr USHORT FADF_HAVEIID = 0x0040;
constexpr USHORT FADF_HAVEVARTYPE = 0x0080;
constexpr USHORT FADF_BSTR = 0x0100;
constexpr USHORT FADF_UNKNOWN = 0x0200;
constexpr USHORT FADF_DISPATCH = 0x0400;
constexpr USHORT FADF_VARIANT = 0x0800;

// Null for an element type an array cannot hold, no dimensions, or a size too large.
SAFEARRAY* SafeArrayCreate(VARTYPE vt, UINT cDims, SAFEARRAYBOUND* rgsabound);
SAFEARRAY* SafeArrayCreateVector(VARTYPE vt, LONG lLbound, ULONG cElements);
// Frees the elements (strings, variants, interface references) and the array.
HRESULT SafeArrayDestroy(SAFEARRAY* psa);
// Deep copy; a null array copies to null.
HRESULT SafeArrayCopy(SAFEARRAY* psa, SAFEARRAY** ppsaOut);
UINT SafeArrayGetDim(SAFEARRAY* psa);
UINT SafeArrayGetElemsize(SAFEARRAY* psa);
HRESULT SafeArrayGetVartype(SAFEARRAY* psa, VARTYPE* pvt);
// nDim counts from 1, left-most dimension first.
HRESULT SafeArrayGetLBound(SAFEARRAY* psa, UINT nDim, LONG* plLbound);
HRESULT SafeArrayGetUBound(SAFEARRAY* psa, UINT nDim, LONG* plUbound);
HRESULT SafeArrayLock(SAFEARRAY* psa);
HRESULT SafeArrayUnlock(SAFEARRAY* psa);
HRESULT SafeArrayAccessData(SAFEARRAY* psa, void** ppvData);
HRESULT SafeArrayUnaccessData(SAFEARRAY* psa);
// rgIndices holds one index per dimension, in the order of SafeArrayCreate's
// bounds. For BSTR, IUnknown and IDispatch arrays pv is the string or interface
// itself; otherwise it points at the value. The array keeps its own copy.
HRESULT SafeArrayPutElement(SAFEARRAY* psa, LONG* rgIndices, void* pv);
// Copies the element out: strings are duplicated, interfaces AddRef'd, variants deep-copied.
HRESULT SafeArrayGetElement(SAFEARRAY* psa, LONG* rgIndices, void* pv);
