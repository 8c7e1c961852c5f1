#include "platform/variant.h"

#include "platform/bstr.h"
#include "platform/safearray.h"
#include "varianttype.h"

void VariantInit(VARIANTARG* pvarg) {
  if (pvarg == nullptr) return;
  pvarg->vt = VT_EMPTY;
  pvarg->wReserved1 = pvarg->wReserved2 = pvarg->wReserved3 = 0;
  pvarg->llVal = 0;
}

HRESULT VariantClear(VARIANTARG* pvarg) {
  if (pvarg == nullptr) return E_INVALIDARG;
  const VARTYPE vt = pvarg->vt;
  if (!IsValidVariantType(vt)) return DISP_E_BADVARTYPE;
  if (OwnsArray(vt)) {
    // A locked array stays where it is, and so does the variant holding it.
    const HRESULT hr = SafeArrayDestroy(pvarg->parray);
    if (FAILED(hr)) return hr;
  } else if (OwnsString(vt)) {
    SysFreeString(pvarg->bstrVal);
  } else if (OwnsInterface(vt) && pvarg->punkVal != nullptr) {
    pvarg->punkVal->Release();
  }
  pvarg->vt = VT_EMPTY;
  return S_OK;
}

HRESULT VariantCopy(VARIANTARG* pvargDest, const VARIANTARG* pvargSrc) {
  if (pvargDest == nullptr || pvargSrc == nullptr) return E_INVALIDARG;
  const VARTYPE vt = pvargSrc->vt;
  if (!IsValidVariantType(vt)) return DISP_E_BADVARTYPE;
  if (pvargDest == pvargSrc) return S_OK;
  HRESULT hr = VariantClear(pvargDest);
  if (FAILED(hr)) return hr;
  VARIANT copy = *pvargSrc;
  if (OwnsArray(vt)) {
    hr = SafeArrayCopy(pvargSrc->parray, &copy.parray);
  } else if (OwnsString(vt)) {
    // By bytes, so odd lengths and embedded zeros survive; a null string becomes "".
    BSTR text = pvargSrc->bstrVal;
    copy.bstrVal = SysAllocStringByteLen(reinterpret_cast<LPCSTR>(text), SysStringByteLen(text));
    if (copy.bstrVal == nullptr) hr = E_OUTOFMEMORY;
  } else if (OwnsInterface(vt) && copy.punkVal != nullptr) {
    copy.punkVal->AddRef();
  }
  if (FAILED(hr)) return hr;
  *pvargDest = copy;
  return S_OK;
}

ULONG VariantScalarSize(VARTYPE vt) {
  switch (vt) {
    case VT_I1:
    case VT_UI1:
      return 1;
    case VT_I2:
    case VT_UI2:
    case VT_BOOL:
      return 2;
    case VT_I4:
    case VT_UI4:
    case VT_INT:
    case VT_UINT:
    case VT_R4:
    case VT_ERROR:
      return 4;
    case VT_I8:
    case VT_UI8:
    case VT_R8:
    case VT_CY:
    case VT_DATE:
      return 8;
    default:
      return 0;
  }
}
