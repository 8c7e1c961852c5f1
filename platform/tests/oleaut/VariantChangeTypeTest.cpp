// VariantChangeType beyond the reference table: 64-bit and INT sources, number
// and date texts the table does not list, and the types that do not convert.
#include "platform/bstr.h"
#include "platform/oletime.h"
#include "platform/safearray.h"
#include "platform/variant.h"
#include "platform/widetext.h"
#include "support/CountingUnknown.h"
#include "support/TestVariants.h"

#include <gtest/gtest.h>

#include <ctime>
#include <string>

namespace {

VARIANT Real(VARTYPE vt, double value) {
  VARIANT v = VariantOf(vt, 0);
  if (vt == VT_R4) {
    v.fltVal = static_cast<float>(value);
  } else {
    v.dblVal = value;
  }
  return v;
}

VARIANT Text(const char* text) { return TextVariant(WidenAnsi(text)); }

// The converted value as text, or the failure's name, for compact expectations.
std::string Converted(VARIANT source, VARTYPE vt) {
  VARIANT result;
  VariantInit(&result);
  const HRESULT hr = VariantChangeType(&result, &source, 0, vt);
  VariantClear(&source);
  if (hr == DISP_E_OVERFLOW) return "overflow";
  if (hr == DISP_E_TYPEMISMATCH) return "mismatch";
  if (FAILED(hr)) return "failed " + std::to_string(hr);
  VARIANT text;
  VariantInit(&text);
  std::string shown;
  switch (result.vt) {
    case VT_I8:
      shown = std::to_string(result.llVal);
      break;
    case VT_UI8:
      shown = std::to_string(result.ullVal);
      break;
    case VT_CY:
      shown = std::to_string(result.cyVal.int64) + "/10000";
      break;
    default:
      EXPECT_EQ(VariantChangeType(&text, &result, 0, VT_BSTR), S_OK);
      shown = NarrowAnsi(TextOf(text.bstrVal)).value();
  }
  VariantClear(&text);
  VariantClear(&result);
  return shown;
}

DATE DateOf(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second) {
  SYSTEMTIME st = {year, month, 0, day, hour, minute, second, 0};
  DATE date = 0;
  EXPECT_TRUE(SystemTimeToVariantTime(&st, &date));
  return date;
}

struct Case {
  VARIANT source;
  VARTYPE target;
  std::string expected;
};

void ExpectCases(std::initializer_list<Case> cases) {
  for (const Case& c : cases) {
    const VARTYPE from = c.source.vt;
    EXPECT_EQ(Converted(c.source, c.target), c.expected) << "from " << from << " to " << c.target;
  }
}

}  // namespace

TEST(VariantChangeType, ConvertsSixtyFourBitAndIntSources) {
  ExpectCases({
      {VariantOf(VT_I8, ~0ull), VT_UI8, "18446744073709551615"},  // same size: the bits carry over
      {VariantOf(VT_UI8, ~0ull), VT_I8, "-1"},
      {VariantOf(VT_I8, ~0ull), VT_UI4, "overflow"},
      {VariantOf(VT_I8, 1ull << 40), VT_I4, "overflow"},
      {VariantOf(VT_I8, 1ull << 40), VT_R8, "1099511627776"},
      {VariantOf(VT_UI8, ~0ull), VT_R8, "1.84467440737096E+19"},
      {VariantOf(VT_I8, 0x8000000000000000ull), VT_BSTR, "-9223372036854775808"},
      {VariantOf(VT_UI8, ~0ull), VT_BSTR, "18446744073709551615"},
      {VariantOf(VT_I8, 922337203685477ull), VT_CY, "9223372036854770000/10000"},
      {VariantOf(VT_I8, 922337203685478ull), VT_CY, "overflow"},
      {VariantOf(VT_INT, 0xFFFFFFFFull), VT_UINT, "4294967295"},
      {VariantOf(VT_UINT, 0xFFFFFFFFull), VT_I8, "4294967295"},
      {VariantOf(VT_I8, 2958465), VT_DATE, "12/31/9999"},
      {VariantOf(VT_I8, 2958466), VT_DATE, "overflow"},
  });
}

TEST(VariantChangeType, ReadsNumberTextExactlyBeforeRounding) {
  ExpectCases({
      // Rounding looks at every digit, not at the nearest double.
      {Text("2.50000000000000000001"), VT_I4, "3"},
      {Text("2.5"), VT_I4, "2"},
      {Text("0.00005"), VT_CY, "0/10000"},
      {Text("0.000050000001"), VT_CY, "1/10000"},
      {Text("922337203685477.5807"), VT_CY, "9223372036854775807/10000"},
      {Text("-922337203685477.5808"), VT_CY, "-9223372036854775808/10000"},
      {Text("922337203685477.5808"), VT_CY, "overflow"},
      {Text("18446744073709551615"), VT_UI8, "18446744073709551615"},
      {Text("18446744073709551616"), VT_UI8, "overflow"},
      {Text("-9223372036854775808"), VT_I8, "-9223372036854775808"},
      {Text("1e-400"), VT_R8, "0"},
      {Text("1e400"), VT_I1, "overflow"},
      {Text("000000000000000000000000000012"), VT_I1, "12"},
      {Text("12-"), VT_I4, "-12"},
      {Text("$-12"), VT_I4, "-12"},
      {Text("&HFFFFFFFFFFFFFFFF"), VT_UI8, "18446744073709551615"},
      {Text("&H10000000000000000"), VT_UI8, "overflow"},
      {Text("&H"), VT_I4, "mismatch"},
      {Text("&H1G"), VT_I4, "mismatch"},
      {Text("1e"), VT_R8, "mismatch"},
      {Text(","), VT_R8, "mismatch"},
      {Text("(-12)"), VT_I4, "mismatch"},
      {Text("--12"), VT_I4, "mismatch"},
      {Text(" #false# "), VT_BOOL, "0"},
  });
}

TEST(VariantChangeType, WritesNumbersWithTheirSignificantDigits) {
  ExpectCases({
      {Real(VT_R8, -1e-300), VT_BSTR, "-1E-300"},
      {Real(VT_R8, 0.1 + 0.2), VT_BSTR, "0.3"},
      {Real(VT_R8, 123456789012345678.0), VT_BSTR, "1.23456789012346E+17"},
      {Real(VT_R4, 3.14159274), VT_BSTR, "3.141593"},
      {Real(VT_R4, -0.000012345), VT_BSTR, "-1.2345E-05"},
      {VariantOf(VT_CY, 0x8000000000000000ull), VT_BSTR, "-922337203685477.5808"},
      {VariantOf(VT_CY, static_cast<ULONGLONG>(-5000)), VT_BSTR, "-0.5"},
  });
}

TEST(VariantChangeType, ReadsDateTextInEnglishForms) {
  const DATE lunchtime = DateOf(2000, 1, 2, 13, 5, 0);
  const struct {
    const char* text;
    DATE expected;
  } dates[] = {
      {"1/2/2000 1:05 PM", lunchtime},
      {" 01/02/2000 13:05:00 ", lunchtime},
      {"2000-01-02 13:05", lunchtime},
      {"1-2-2000 1:05:00 pm", lunchtime},
      {"12:30 am", DateOf(1899, 12, 30, 0, 30, 0)},
      {"11 PM", DateOf(1899, 12, 30, 23, 0, 0)},
      {"12/31/99", DateOf(1999, 12, 31, 0, 0, 0)},
      {"1/1/29", DateOf(2029, 1, 1, 0, 0, 0)},
      {"2/29/2000", DateOf(2000, 2, 29, 0, 0, 0)},
      {"12/29/1899 6:00:00 AM", -1.25},
  };
  for (const auto& date : dates) {
    VARIANT source = Text(date.text);
    VARIANT result;
    VariantInit(&result);
    EXPECT_EQ(VariantChangeType(&result, &source, 0, VT_DATE), S_OK) << date.text;
    EXPECT_EQ(result.date, date.expected) << date.text;
    VariantClear(&source);
  }
  for (const char* bad : {"2/29/2001", "13/1/2000", "0/1/2000", "1/32/2000", "25:00", "1:60", "12:00:60", "13 PM",
                          "0 AM", "1/2/2000x", "1/2/2000  12:30:00 xm", "2000-1", "12345/1/1", "1/2/2000/3", ""}) {
    EXPECT_EQ(Converted(Text(bad), VT_DATE), "mismatch") << bad;
  }
}

TEST(VariantChangeType, DateTextWithoutAYearIsInTheCurrentYear) {
  const auto year = [] {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local.tm_year + 1900;
  };
  const int before = year();
  const std::string converted = Converted(Text("3/4"), VT_DATE);
  const int after = year();
  EXPECT_TRUE(converted == "3/4/" + std::to_string(before) || converted == "3/4/" + std::to_string(after)) << converted;
}

TEST(VariantChangeType, DateTextRoundTrips) {
  for (DATE date :
       {0.0, 0.75, -0.75, 2.0, -1.25, 36526.5, DateOf(100, 1, 1, 23, 59, 59), DateOf(9999, 12, 31, 23, 59, 59)}) {
    VARIANT source = Real(VT_DATE, date);
    VARIANT text;
    VariantInit(&text);
    ASSERT_EQ(VariantChangeType(&text, &source, 0, VT_BSTR), S_OK) << date;
    VARIANT back;
    VariantInit(&back);
    EXPECT_EQ(VariantChangeType(&back, &text, 0, VT_DATE), S_OK) << date;
    // -0.75 is 18:00 on day zero, the same instant as 0.75.
    EXPECT_EQ(back.date, date < 0 && date > -1 ? -date : date) << date;
    VariantClear(&text);
  }
  EXPECT_EQ(Converted(Real(VT_DATE, 1e10), VT_BSTR), "failed " + std::to_string(E_INVALIDARG));
}

TEST(VariantChangeType, InterfacesArraysAndOtherTypesOnlyCopyToThemselves) {
  CountingUnknown object;
  VARIANT unknown = VariantOf(VT_UNKNOWN, 0);
  unknown.punkVal = &object;
  VARIANT result;
  VariantInit(&result);
  EXPECT_EQ(VariantChangeType(&result, &unknown, 0, VT_I4), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(VariantChangeType(&result, &unknown, 0, VT_UNKNOWN), S_OK);
  EXPECT_EQ(object.references, 2u);
  EXPECT_EQ(VariantChangeType(&result, &unknown, 0, VT_EMPTY), S_OK);
  EXPECT_EQ(object.references, 1u) << "the old destination was released";
  EXPECT_EQ(result.vt, VT_EMPTY);

  VARIANT array = VariantOf(VT_ARRAY | VT_I4, 0);
  array.parray = SafeArrayCreateVector(VT_I4, 0, 3);
  EXPECT_EQ(VariantChangeType(&result, &array, 0, VT_ARRAY | VT_I4), S_OK);
  EXPECT_NE(result.parray, array.parray);
  EXPECT_TRUE(VariantValuesEqual(result, array));
  EXPECT_EQ(VariantChangeType(&result, &array, 0, VT_BSTR), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(result.vt, VT_ARRAY | VT_I4) << "a failure leaves the destination as it was";
  VariantClear(&array);
  VariantClear(&result);

  ExpectCases({
      {VariantOf(VT_ERROR, 5), VT_I4, "mismatch"},
      {VariantOf(VT_I4, 5), VT_ERROR, "mismatch"},
      {VariantOf(VT_I4, 5), VT_DECIMAL, "mismatch"},
      {VariantOf(VT_I4, 5), VT_BYREF | VT_I4, "mismatch"},
      {VariantOf(VT_I4, 5), VT_VARIANT, "failed " + std::to_string(DISP_E_BADVARTYPE)},
      {VariantOf(0x7FFF, 5), VT_I4, "failed " + std::to_string(DISP_E_BADVARTYPE)},
  });
}

TEST(VariantChangeType, RefusesMissingArgumentsAndAnInvalidDestination) {
  VARIANT source = Text("12");
  EXPECT_EQ(VariantChangeType(nullptr, &source, 0, VT_I4), E_INVALIDARG);
  VARIANT result = VariantOf(0x7FFF, 99);
  EXPECT_EQ(VariantChangeType(&result, nullptr, 0, VT_I4), E_INVALIDARG);
  // The destination cannot be cleared, so nothing is stored (and nothing leaks).
  EXPECT_EQ(VariantChangeType(&result, &source, 0, VT_BSTR), DISP_E_BADVARTYPE);
  EXPECT_EQ(result.vt, 0x7FFF);
  EXPECT_EQ(result.ullVal, 99u);
  VariantClear(&source);
}
