// Ours, not the platform's: facts about variant types and values that the
// toolkit's hot paths and its tests use, built on the platform's VARIANT.
#pragma once

#include "platform/variant.h"

// Ours, not the platform's: whether a variant of that type holds its whole
// value in itself (empty, null, numbers, currency, dates, booleans, error
// codes, decimals), owning no memory and no reference: such a value is copied
// and dropped as its 16 bytes, which lets hot paths skip VariantCopy and
// VariantClear.
inline bool VariantIsPlain(VARTYPE vt) {
  constexpr unsigned long kPlainTypes = (1ul << VT_EMPTY) | (1ul << VT_NULL) | (1ul << VT_I2) | (1ul << VT_I4) |
                                        (1ul << VT_R4) | (1ul << VT_R8) | (1ul << VT_CY) | (1ul << VT_DATE) |
                                        (1ul << VT_ERROR) | (1ul << VT_BOOL) | (1ul << VT_DECIMAL) | (1ul << VT_I1) |
                                        (1ul << VT_UI1) | (1ul << VT_UI2) | (1ul << VT_UI4) | (1ul << VT_I8) |
                                        (1ul << VT_UI8) | (1ul << VT_INT) | (1ul << VT_UINT);
  return vt < 32 && ((kPlainTypes >> vt) & 1ul) != 0;
}

// Ours, not the platform's: TRUE when both variants have the same type and the
// same value. Strings compare by content (a null BSTR equals ""), arrays element
// by element, reals by value with NaN equal to NaN, interfaces and references
// by identity.
bool VariantValuesEqual(const VARIANT& a, const VARIANT& b);

// Ours, not the platform's: the bytes a value of type vt takes in the value
// field: 1 to 8 for numbers, booleans, currency, dates and error codes; 0 for
// every other type (strings, interfaces, references and arrays are pointers).
ULONG VariantScalarSize(VARTYPE vt);

// Ours: the bytes a VARIANT takes beyond the 16 of its value and type. The
// system's 64-bit VARIANT has room for a record (a pointer pair) and takes 24;
// records of the toolkit that hold one are planned for 16 and grow by this much.
constexpr size_t kVariantBytesBeyond16 = sizeof(VARIANT) - 16;
