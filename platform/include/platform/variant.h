// VARIANT: the tagged value of OLE Automation, with the target platform's
// 16-byte layout on LP64 (the type, three reserved words, an 8-byte value).
// There is no record or DECIMAL member: no value here needs one.
#pragma once

#include "platform/hresult.h"
#include "platform/unknown.h"
#include "platform/wintypes.h"

struct IDispatch;
struct SAFEARRAY;
typedef LONG SCODE;

enum VARENUM : VARTYPE {
  VT_EMPTY = 0,
  VT_NULL = 1,
  VT_I2 = 2,
  VT_I4 = 3,
  VT_R4 = 4,
  VT_R8 = 5,
  VT_CY = 6,
  VT_DATE = 7,
  VT_BSTR = 8,
  VT_DISPATCH = 9,
  VT_ERROR = 10,
  VT_BOOL = 11,
  VT_VARIANT = 12,
  VT_UNKNOWN = 13,
  VT_DECIMAL = 14,
  VT_I1 = 16,
  VT_UI1 = 17,
  VT_UI2 = 18,
  VT_UI4 = 19,
  VT_I8 = 20,
  VT_UI8 = 21,
  VT_INT = 22,
  VT_UINT = 23,
  VT_VECTOR = 0x1000,
  VT_ARRAY = 0x2000,
  VT_BYREF = 0x4000,
  VT_RESERVED = 0x8000,
  VT_TYPEMASK = 0x0FFF,
};

struct VARIANT {
  VARTYPE vt;
  WORD wReserved1;
  WORD wReserved2;
  WORD wReserved3;
  union {
    LONGLONG llVal;
    LONG lVal;
    BYTE bVal;
    SHORT iVal;
    FLOAT fltVal;
    DOUBLE dblVal;
    VARIANT_BOOL boolVal;
    SCODE scode;
    CY cyVal;
    DATE date;
    BSTR bstrVal;
    IUnknown* punkVal;
    IDispatch* pdispVal;
    SAFEARRAY* parray;
    BYTE* pbVal;
    SHORT* piVal;
    LONG* plVal;
    LONGLONG* pllVal;
    FLOAT* pfltVal;
    DOUBLE* pdblVal;
    VARIANT_BOOL* pboolVal;
    SCODE* pscode;
    CY* pcyVal;
    DATE* pdate;
    BSTR* pbstrVal;
    IUnknown** ppunkVal;
    IDispatch** ppdispVal;
    SAFEARRAY** pparray;
    VARIANT* pvarVal;
    void* byref;
    CHAR cVal;
    USHORT uiVal;
    ULONG ulVal;
    ULONGLONG ullVal;
    INT intVal;
    UINT uintVal;
    CHAR* pcVal;
    USHORT* puiVal;
    ULONG* pulVal;
    ULONGLONG* pullVal;
    INT* pintVal;
    UINT* puintVal;
  };
};
static_assert(sizeof(VARIANT) == 16, "VARIANT is 16 bytes, as on the target platform");
static_assert(offsetof(VARIANT, llVal) == 8, "the value follows the type and three reserved words");

typedef VARIANT VARIANTARG;
typedef VARIANT* LPVARIANT;
typedef VARIANT* LPVARIANTARG;

#define V_VT(v) ((v)->vt)
#define V_ISBYREF(v) ((V_VT(v) & VT_BYREF) != 0)
#define V_ISARRAY(v) ((V_VT(v) & VT_ARRAY) != 0)
#define V_I1(v) ((v)->cVal)
#define V_UI1(v) ((v)->bVal)
#define V_I2(v) ((v)->iVal)
#define V_UI2(v) ((v)->uiVal)
#define V_I4(v) ((v)->lVal)
#define V_UI4(v) ((v)->ulVal)
#define V_I8(v) ((v)->llVal)
#define V_UI8(v) ((v)->ullVal)
#define V_INT(v) ((v)->intVal)
#define V_UINT(v) ((v)->uintVal)
#define V_R4(v) ((v)->fltVal)
#define V_R8(v) ((v)->dblVal)
#define V_CY(v) ((v)->cyVal)
#define V_DATE(v) ((v)->date)
#define V_BSTR(v) ((v)->bstrVal)
#define V_BOOL(v) ((v)->boolVal)
#define V_ERROR(v) ((v)->scode)
#define V_UNKNOWN(v) ((v)->punkVal)
#define V_DISPATCH(v) ((v)->pdispVal)
#define V_ARRAY(v) ((v)->parray)
#define V_BYREF(v) ((v)->byref)

// Flags of VariantChangeType.
constexpr USHORT VARIANT_NOVALUEPROP = 0x01;
constexpr USHORT VARIANT_ALPHABOOL = 0x02;
constexpr USHORT VARIANT_NOUSEROVERRIDE = 0x04;
constexpr USHORT VARIANT_LOCALBOOL = 0x10;

void VariantInit(VARIANTARG* pvarg);
// Frees what the variant owns (BSTR, array, interface reference) and leaves it
// VT_EMPTY. An invalid type gives DISP_E_BADVARTYPE and leaves the variant as it was.
HRESULT VariantClear(VARIANTARG* pvarg);
// Deep copy: strings and arrays are duplicated, interfaces AddRef'd. The
// destination is cleared first; copying a variant onto itself does nothing.
HRESULT VariantCopy(VARIANTARG* pvargDest, const VARIANTARG* pvargSrc);
// VariantCopy, but a reference (VT_BYREF) is copied as the value it refers to,
// deeply, under the type without VT_BYREF; a VT_VARIANT reference as the
// variant it points to. A null reference, or a reference to a variant that is
// itself a reference, gives E_INVALIDARG; a type a reference cannot carry,
// DISP_E_BADVARTYPE. The destination may be the source. On failure the
// destination is left as it was.
HRESULT VariantCopyInd(VARIANT* pvarDest, const VARIANTARG* pvargSrc);
// Converts to type vt between the scalar types, EMPTY and NULL; other types
// only copy to themselves (DISP_E_TYPEMISMATCH otherwise). Integers of one size
// keep their bits between signed and unsigned, other values must fit the target
// (DISP_E_OVERFLOW); reals and currency round half to even. The destination may
// be the source; on failure it is left untouched. Numbers and dates are read
// and written in the en-US forms ('.' as the decimal separator) whatever the
// process locale; lcid is accepted and ignored.
HRESULT VariantChangeType(VARIANTARG* pvargDest, const VARIANTARG* pvarSrc, USHORT wFlags, VARTYPE vt);
HRESULT VariantChangeTypeEx(VARIANTARG* pvargDest, const VARIANTARG* pvarSrc, LCID lcid, USHORT wFlags, VARTYPE vt);

#include "platform/variantfacts.h"
