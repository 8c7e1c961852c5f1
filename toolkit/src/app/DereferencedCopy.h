// VariantCopyInd for values that come from outside: a host's or a client's
// reference (VT_BYREF) whose pointer is NULL is refused with E_INVALIDARG
// before the system is asked, which would read through it and fault.
#pragma once

#include "platform/variant.h"

inline HRESULT DereferencedCopy(VARIANT* destination, const VARIANT* source) {
  if (source == nullptr || ((V_VT(source) & VT_BYREF) != 0 && V_BYREF(source) == nullptr)) return E_INVALIDARG;
  return VariantCopyInd(destination, source);
}
