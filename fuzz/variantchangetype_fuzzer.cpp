// VariantChangeType between text (VT_BSTR) and every numeric, date and
// boolean type, both ways. A text that converts gives a value whose text
// converts back: to the same value for integers, currency and booleans, to a
// value of the same text for reals and dates (their texts round). A value made
// of any bits either formats, and its text reads back the same way, or fails
// with a conversion error. A failed conversion leaves the destination alone,
// and converting in place gives what converting into another variant gives.
#include "FuzzCheck.h"

#include "platform/bstr.h"
#include "platform/hresult.h"
#include "platform/variant.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <regex>
#include <string>

namespace {

const VARTYPE kTypes[] = {VT_I1, VT_UI1, VT_I2, VT_UI2, VT_I4, VT_UI4, VT_INT, VT_UINT, VT_I8,
                          VT_UI8, VT_R4, VT_R8, VT_CY, VT_DATE, VT_BOOL};
const USHORT kFlags[] = {0, VARIANT_ALPHABOOL, VARIANT_NOVALUEPROP | VARIANT_NOUSEROVERRIDE, VARIANT_LOCALBOOL};

// Text reads back to the same value for these; reals and dates keep their text.
bool ExactThroughText(VARTYPE vt) { return vt != VT_R4 && vt != VT_R8 && vt != VT_DATE; }

bool IsConversionFailure(HRESULT hr) {
  return hr == DISP_E_TYPEMISMATCH || hr == DISP_E_OVERFLOW || hr == E_INVALIDARG;
}

// Converts into a fresh variant and in place; both must agree. On failure the
// destination keeps the marker it held.
HRESULT Convert(const VARIANT& source, USHORT flags, VARTYPE vt, VARIANT* result) {
  VariantInit(result);
  result->vt = VT_I4;
  result->lVal = 0x5A5A5A5A;
  const HRESULT hr = VariantChangeType(result, &source, flags, vt);

  VARIANT inPlace;
  VariantInit(&inPlace);
  FUZZ_CHECK(SUCCEEDED(VariantCopy(&inPlace, &source)));
  FUZZ_CHECK(VariantChangeType(&inPlace, &inPlace, flags, vt) == hr);
  if (SUCCEEDED(hr)) {
    FUZZ_CHECK(result->vt == vt);
    FUZZ_CHECK(VariantValuesEqual(*result, inPlace));
  } else {
    FUZZ_CHECK(IsConversionFailure(hr));
    FUZZ_CHECK(result->vt == VT_I4 && result->lVal == 0x5A5A5A5A);
    FUZZ_CHECK(VariantValuesEqual(inPlace, source));
  }
  VariantClear(&inPlace);
  return hr;
}

std::u16string TextOf(const VARIANT& value) {
  return std::u16string(value.bstrVal, SysStringLen(value.bstrVal));
}

// value -> text -> value again; `value` is a successful conversion result.
void CheckThroughText(const VARIANT& value, USHORT flags) {
  VARIANT text;
  const HRESULT toText = Convert(value, flags, VT_BSTR, &text);
  if (FAILED(toText)) {
    // Only a date outside the calendar has no text.
    FUZZ_CHECK(value.vt == VT_DATE && toText == E_INVALIDARG);
    return;
  }
  // An infinite or NaN real has a text, but not one that reads as a number;
  // the 15 digits of a double beyond 1.79769313486231E+308 round up past the
  // largest double, and read back as an overflow.
  const bool beyondText = (value.vt == VT_R4 && !std::isfinite(value.fltVal)) ||
                          (value.vt == VT_R8 && !(std::fabs(value.dblVal) < 1.797693134862315e308));
  if (beyondText) {
    VariantClear(&text);
    return;
  }
  VARIANT back;
  FUZZ_CHECK(SUCCEEDED(Convert(text, flags, value.vt, &back)));
  if (ExactThroughText(value.vt) && value.vt != VT_BOOL) {
    FUZZ_CHECK(VariantValuesEqual(back, value));
  } else if (value.vt == VT_BOOL) {
    FUZZ_CHECK((back.boolVal != 0) == (value.boolVal != 0));
  } else {
    VARIANT again;
    FUZZ_CHECK(SUCCEEDED(Convert(back, flags, VT_BSTR, &again)));
    FUZZ_CHECK(TextOf(again) == TextOf(text));
    VariantClear(&again);
  }
  VariantClear(&back);
  VariantClear(&text);
}

// The plain decimal form ([sign] digits [. digits] [E [sign] digits], at
// least one digit, blanks around it), which the C library reads too.
bool IsPlainDecimal(const std::string& text) {
  static const std::regex plain("[ \\t\\r\\n\\v\\f]*[-+]?([0-9]+\\.?[0-9]*|\\.[0-9]+)([eE][-+]?[0-9]+)?[ \\t\\r\\n\\v\\f]*");
  return text.size() < 400 && std::regex_match(text, plain);
}

// A plain decimal text reads as the C library's nearest real, and overflows
// where that is infinite.
void CheckAgainstCLibrary(const std::u16string& text, VARTYPE vt, HRESULT hr, const VARIANT& value) {
  std::string narrow;
  for (const char16_t c : text) {
    if (c >= 0x80) return;
    narrow.push_back(static_cast<char>(c));
  }
  if (!IsPlainDecimal(narrow)) return;
  if (vt == VT_R8) {
    const double expected = std::strtod(narrow.c_str(), nullptr);
    if (std::isinf(expected)) {
      FUZZ_CHECK(hr == DISP_E_OVERFLOW);
    } else {
      FUZZ_CHECK(SUCCEEDED(hr) && value.dblVal == expected);
    }
  } else if (vt == VT_R4) {
    const float expected = std::strtof(narrow.c_str(), nullptr);
    if (std::isinf(expected)) {
      FUZZ_CHECK(hr == DISP_E_OVERFLOW);
    } else {
      FUZZ_CHECK(SUCCEEDED(hr) && value.fltVal == expected);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  const VARTYPE vt = input.PickValueInArray(kTypes);
  const USHORT flags = input.PickValueInArray(kFlags);

  // A value of the type from any 8 bytes.
  VARIANT raw;
  VariantInit(&raw);
  raw.vt = vt;
  raw.ullVal = input.ConsumeIntegral<uint64_t>();
  CheckThroughText(raw, flags);

  // The rest as text: one byte per character, or UTF-16 units.
  std::u16string text;
  if (input.ConsumeBool()) {
    for (const char c : input.ConsumeRemainingBytesAsString()) text.push_back(static_cast<unsigned char>(c));
  } else {
    const std::string bytes = input.ConsumeRemainingBytesAsString();
    text.resize(bytes.size() / 2);
    std::memcpy(&text[0], bytes.data(), text.size() * sizeof(char16_t));
  }
  VARIANT source;
  VariantInit(&source);
  source.vt = VT_BSTR;
  source.bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  FUZZ_CHECK(source.bstrVal != nullptr);
  VARIANT value;
  const HRESULT hr = Convert(source, flags, vt, &value);
  CheckAgainstCLibrary(text, vt, hr, value);
  if (SUCCEEDED(hr)) CheckThroughText(value, flags);
  VariantClear(&value);
  VariantClear(&source);
  return 0;
}
