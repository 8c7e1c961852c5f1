#include "da/group/PercentDeadband.h"

namespace {

bool HasNumericDeadbandType(VARTYPE type) {
  switch (type) {
    case VT_I2:
    case VT_I4:
    case VT_R4:
    case VT_R8:
    case VT_UI1:
    case VT_UI2:
    case VT_UI4:
      return true;
    default:
      return false;
  }
}

// The value as a 32-bit float; false when it does not convert.
bool AsFloat(const VARIANT& value, FLOAT* result) {
  VARIANT scratch;
  VariantInit(&scratch);
  if (FAILED(VariantChangeType(&scratch, &value, 0, VT_R4))) return false;
  *result = scratch.fltVal;
  return true;
}

}  // namespace

BOOL DeadbandChanged(FLOAT percent, const VARIANT& reference, const VARIANT& value) {
  if (percent == 0.0f || !HasNumericDeadbandType(reference.vt)) return TRUE;
  FLOAT before = 0.0f;
  FLOAT after = 0.0f;
  if (!AsFloat(reference, &before) || !AsFloat(value, &after)) return TRUE;
  if (before == 0.0f) return after != 0.0f ? TRUE : FALSE;
  // The quotient in float, the percentage stored as a float, as the deadband is.
  FLOAT difference = static_cast<FLOAT>((after - before) / before * 100.0);
  if (difference < 0.0f) difference = -difference;
  return difference >= percent ? TRUE : FALSE;
}
