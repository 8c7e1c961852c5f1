// Which VARTYPEs a VARIANT may carry. Shared by the variant functions.
#pragma once

#include "platform/variant.h"

// VT_VECTOR and VT_RESERVED never appear in a VARIANT; VT_EMPTY and VT_NULL take
// no modifier; VT_VARIANT only exists as a reference or an array element type.
inline bool IsValidVariantType(VARTYPE vt) {
  if (vt & (VT_VECTOR | VT_RESERVED)) return false;
  const VARTYPE base = vt & VT_TYPEMASK;
  const bool modified = (vt & (VT_ARRAY | VT_BYREF)) != 0;
  switch (base) {
    case VT_EMPTY:
    case VT_NULL:
      return !modified;
    case VT_VARIANT:
      return modified;
    case 15:
      return false;
    default:
      return base <= VT_UINT;
  }
}

// Values the variant owns and must free or copy deeply; references own nothing.
inline bool OwnsString(VARTYPE vt) { return vt == VT_BSTR; }
inline bool OwnsArray(VARTYPE vt) { return (vt & (VT_ARRAY | VT_BYREF)) == VT_ARRAY; }
inline bool OwnsInterface(VARTYPE vt) { return vt == VT_UNKNOWN || vt == VT_DISPATCH; }
