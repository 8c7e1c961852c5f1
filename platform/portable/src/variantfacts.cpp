#include "platform/variantfacts.h"

#include "platform/bstr.h"
#include "platform/safearray.h"

#include <cmath>
#include <cstring>

namespace {

template <typename Real>
bool RealsEqual(Real a, Real b) {
  return a == b || (std::isnan(a) && std::isnan(b));
}

bool TextsEqual(BSTR a, BSTR b) {
  const UINT length = SysStringByteLen(a);
  return length == SysStringByteLen(b) && (length == 0 || std::memcmp(a, b, length) == 0);
}

// A variant of type vt that views the array element at element (borrowed, never cleared).
VARIANT ElementView(VARTYPE vt, const void* element, ULONG size) {
  VARIANT view;
  VariantInit(&view);
  view.vt = vt;
  std::memcpy(&view.llVal, element, size);
  return view;
}

bool ArraysEqual(SAFEARRAY* a, SAFEARRAY* b) {
  if (a == nullptr || b == nullptr) return a == b;
  VARTYPE typeA = VT_EMPTY;
  VARTYPE typeB = VT_EMPTY;
  if (FAILED(SafeArrayGetVartype(a, &typeA)) || FAILED(SafeArrayGetVartype(b, &typeB)) || typeA != typeB) return false;
  if (a->cDims != b->cDims || std::memcmp(a->rgsabound, b->rgsabound, a->cDims * sizeof(SAFEARRAYBOUND)) != 0)
    return false;
  size_t count = 1;
  for (UINT i = 0; i < a->cDims; ++i) count *= a->rgsabound[i].cElements;
  const auto* dataA = static_cast<const unsigned char*>(a->pvData);
  const auto* dataB = static_cast<const unsigned char*>(b->pvData);
  const ULONG size = a->cbElements;
  for (size_t i = 0; i < count; ++i) {
    const void* elementA = dataA + i * size;
    const void* elementB = dataB + i * size;
    const bool equal =
        typeA == VT_VARIANT
            ? VariantValuesEqual(*static_cast<const VARIANT*>(elementA), *static_cast<const VARIANT*>(elementB))
            : VariantValuesEqual(ElementView(typeA, elementA, size), ElementView(typeA, elementB, size));
    if (!equal) return false;
  }
  return true;
}

}  // namespace

bool VariantValuesEqual(const VARIANT& a, const VARIANT& b) {
  if (a.vt != b.vt) return false;
  if (a.vt & VT_BYREF) return a.byref == b.byref;
  if (a.vt & VT_ARRAY) return ArraysEqual(a.parray, b.parray);
  switch (a.vt) {
    case VT_EMPTY:
    case VT_NULL:
      return true;
    case VT_I1:
    case VT_UI1:
      return a.bVal == b.bVal;
    case VT_I2:
    case VT_UI2:
    case VT_BOOL:
      return a.uiVal == b.uiVal;
    case VT_I4:
    case VT_UI4:
    case VT_INT:
    case VT_UINT:
    case VT_ERROR:
      return a.ulVal == b.ulVal;
    case VT_R4:
      return RealsEqual(a.fltVal, b.fltVal);
    case VT_R8:
    case VT_DATE:
      return RealsEqual(a.dblVal, b.dblVal);
    case VT_BSTR:
      return TextsEqual(a.bstrVal, b.bstrVal);
    case VT_UNKNOWN:
    case VT_DISPATCH:
      return a.punkVal == b.punkVal;
    default:
      return a.ullVal == b.ullVal;
  }
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
      // Strings, interfaces, variants, references and arrays are pointers.
      return 0;
  }
}
