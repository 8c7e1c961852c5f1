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

// The bytes one value of the type takes: an array element of it, or what a
// reference of it points to. 0 for a type no array or reference carries.
inline ULONG ValueSize(VARTYPE vt) {
  switch (vt) {
    case VT_BSTR:
    case VT_UNKNOWN:
    case VT_DISPATCH:
      return sizeof(void*);
    case VT_VARIANT:
      return sizeof(VARIANT);
    default:
      return VariantScalarSize(vt);
  }
}
