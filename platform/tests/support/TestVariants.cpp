#include "support/TestVariants.h"

#include "platform/bstr.h"

VARIANT VariantOf(VARTYPE vt, ULONGLONG bits) {
  VARIANT v;
  VariantInit(&v);
  v.vt = vt;
  v.ullVal = bits;
  return v;
}

VARIANT TextVariant(const std::u16string& text) {
  VARIANT v = VariantOf(VT_BSTR, 0);
  v.bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  return v;
}

std::u16string TextOf(BSTR text) { return std::u16string(text == nullptr ? u"" : text, SysStringLen(text)); }
