// Windows flavour: the one place that includes the system's headers. Every
// other header of this folder names the facility its Linux counterpart stands
// in for and includes this one, so the toolkit's sources read the same in both
// flavours.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif

#include <windows.h>

#include <aclapi.h>
#include <objbase.h>
#include <ocidl.h>
#include <olectl.h>
#include <oleauto.h>
#include <sddl.h>

// Where the system's C declarations lack a const that the toolkit's callers
// keep, the same call with the const (the routines do not write through it).
inline HRESULT VariantCopy(VARIANTARG* destination, const VARIANTARG* source) {
  return ::VariantCopy(destination, const_cast<VARIANTARG*>(source));
}
inline HRESULT VariantCopyInd(VARIANT* destination, const VARIANTARG* source) {
  return ::VariantCopyInd(destination, const_cast<VARIANTARG*>(source));
}
inline HRESULT VariantChangeType(VARIANTARG* destination, const VARIANTARG* source, USHORT flags, VARTYPE type) {
  return ::VariantChangeType(destination, const_cast<VARIANTARG*>(source), flags, type);
}
inline void MapGenericMask(PDWORD accessMask, const GENERIC_MAPPING* mapping) {
  ::MapGenericMask(accessMask, const_cast<PGENERIC_MAPPING>(mapping));
}
