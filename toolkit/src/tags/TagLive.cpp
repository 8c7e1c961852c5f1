#include "tags/TagLive.h"

#include "app/DereferencedCopy.h"
#include "platform/opcda.h"
#include "platform/wintime.h"

TagLive::TagLive() : quality(OPC_QUALITY_UNCERTAIN) {
  VariantInit(&value);
  value.vt = VT_R4;
  value.fltVal = 0.0f;
  timestamp = NowUtc();
}

TagLive::~TagLive() { VariantClear(&value); }

namespace {

// Types held in the VARIANT itself, which owns nothing: copied and dropped as bytes.
bool HoldsPlainScalar(VARTYPE type) {
  switch (type) {
    case VT_EMPTY: case VT_I1: case VT_I2: case VT_I4: case VT_I8: case VT_INT:
    case VT_UI1: case VT_UI2: case VT_UI4: case VT_UI8: case VT_UINT:
    case VT_R4: case VT_R8: case VT_CY: case VT_DATE: case VT_BOOL: case VT_ERROR:
      return true;
    default:
      return false;
  }
}

}  // namespace

HRESULT TagLive::SetValue(const VARIANT& newValue) {
  // Most updates replace one number by another: no copy to make, nothing to free.
  if (HoldsPlainScalar(newValue.vt) && HoldsPlainScalar(value.vt)) {
    value = newValue;
    return S_OK;
  }
  VARIANT copy;
  VariantInit(&copy);
  // A reference is stored as what it refers to: its target is the caller's.
  const HRESULT hr = DereferencedCopy(&copy, &newValue);
  if (FAILED(hr)) return hr;
  VariantClear(&value);
  value = copy;
  return S_OK;
}

HRESULT TagLive::Update(const VARIANT& newValue, WORD newQuality, const FILETIME& newTimestamp) {
  const HRESULT hr = SetValue(newValue);
  if (FAILED(hr)) return hr;
  quality = newQuality;
  timestamp = newTimestamp;
  ++updates;
  return S_OK;
}
