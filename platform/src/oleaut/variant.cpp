#include "platform/variant.h"

#include "oleaut/varianttype.h"
#include "platform/bstr.h"
#include "platform/safearray.h"

#include <cstring>

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

HRESULT VariantCopyInd(VARIANT* pvarDest, const VARIANTARG* pvargSrc) {
  if (pvarDest == nullptr || pvargSrc == nullptr) return E_INVALIDARG;
  const VARTYPE vt = pvargSrc->vt;
  if (!IsValidVariantType(vt)) return DISP_E_BADVARTYPE;
  if ((vt & VT_BYREF) == 0) return VariantCopy(pvarDest, pvargSrc);
  if (pvargSrc->byref == nullptr) return E_INVALIDARG;
  // A shallow view of the referred value, which VariantCopy then copies deeply.
  VARIANT referred;
  VariantInit(&referred);
  const VARTYPE base = vt & VT_TYPEMASK;
  if (base == VT_VARIANT && (vt & VT_ARRAY) == 0) {
    referred = *pvargSrc->pvarVal;
    if ((referred.vt & VT_BYREF) != 0) return E_INVALIDARG;
  } else if ((vt & VT_ARRAY) != 0) {
    referred.vt = vt & ~VT_BYREF;
    referred.parray = *pvargSrc->pparray;
  } else {
    const ULONG size = ValueSize(base);
    if (size == 0) return DISP_E_BADVARTYPE;
    referred.vt = base;
    std::memcpy(&referred.llVal, pvargSrc->byref, size);
  }
  return VariantCopy(pvarDest, &referred);
}

