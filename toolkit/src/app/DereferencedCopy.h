// VariantCopyInd for values that come from outside (a host's or a client's).
// What the system's routine may read through or take without a word is
// refused first: a reference (VT_BYREF) whose pointer is NULL or whose type
// names nothing that can be referred to (E_INVALIDARG, DISP_E_BADVARTYPE),
// and VT_VARIANT that is no reference, which holds no value (DISP_E_BADVARTYPE).
#pragma once

#include "platform/variant.h"

// Whether a reference may point at a value of that type (flags other than
// VT_BYREF and VT_ARRAY name none).
inline bool IsReferableType(VARTYPE vt) {
  const VARTYPE base = vt & VT_TYPEMASK;
  if ((vt & ~(VT_TYPEMASK | VT_BYREF | VT_ARRAY)) != 0) return false;
  if (base == VT_EMPTY || base == VT_NULL) return false;
  return VariantIsPlain(base) || base == VT_BSTR || base == VT_DISPATCH || base == VT_UNKNOWN || base == VT_VARIANT;
}

inline HRESULT DereferencedCopy(VARIANT* destination, const VARIANT* source) {
  if (source == nullptr) return E_INVALIDARG;
  const VARTYPE vt = V_VT(source);
  if (vt == VT_VARIANT) return DISP_E_BADVARTYPE;
  if ((vt & VT_BYREF) != 0) {
    if (!IsReferableType(vt)) return DISP_E_BADVARTYPE;
    if (V_BYREF(source) == nullptr) return E_INVALIDARG;
  }
  return VariantCopyInd(destination, source);
}
