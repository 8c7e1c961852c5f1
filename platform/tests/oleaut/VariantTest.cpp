#include "platform/bstr.h"
#include "platform/safearray.h"
#include "platform/variant.h"
#include "support/CountingUnknown.h"
#include "support/TestVariants.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

VARIANT Real(double value) {
  VARIANT v = VariantOf(VT_R8, 0);
  v.dblVal = value;
  return v;
}

// VT_ARRAY|VT_BSTR holding the given texts.
VARIANT TextArray(std::initializer_list<const char16_t*> texts) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_ARRAY | VT_BSTR;
  v.parray = SafeArrayCreateVector(VT_BSTR, 0, static_cast<ULONG>(texts.size()));
  LONG index = 0;
  for (const char16_t* text : texts) {
    BSTR b = SysAllocString(text);
    SafeArrayPutElement(v.parray, &index, b);
    SysFreeString(b);
    ++index;
  }
  return v;
}

}  // namespace

TEST(VariantInit, EmptiesWhateverWasThere) {
  VARIANT v;
  v.vt = 0x1234;
  v.llVal = 77;
  VariantInit(&v);
  EXPECT_EQ(v.vt, VT_EMPTY);
  EXPECT_EQ(VariantClear(&v), S_OK);
}

TEST(VariantClear, FreesWhatTheVariantOwnsAndLeavesItEmpty) {
  for (VARIANT v : {VariantOf(VT_EMPTY, 0), VariantOf(VT_NULL, 0), VariantOf(VT_I4, 5), TextVariant(u"x"),
                    VariantOf(VT_BSTR, 0), TextArray({u"a", u"b"})}) {
    EXPECT_EQ(VariantClear(&v), S_OK);
    EXPECT_EQ(v.vt, VT_EMPTY);
  }
  CountingUnknown object;
  VARIANT unknown = VariantOf(VT_UNKNOWN, 0);
  unknown.punkVal = &object;
  object.AddRef();
  EXPECT_EQ(VariantClear(&unknown), S_OK);
  EXPECT_EQ(object.references, 1u);
}

TEST(VariantClear, RefusesInvalidTypesAndLeavesThemAsTheyWere) {
  for (VARTYPE vt : {VARTYPE{0x7FFF}, VARTYPE{0x000F}, VARTYPE{VT_VARIANT}, VARTYPE{VT_VECTOR | VT_I4},
                     VARTYPE{VT_ARRAY | VT_EMPTY}}) {
    VARIANT v = VariantOf(vt, 1234);
    EXPECT_EQ(VariantClear(&v), DISP_E_BADVARTYPE) << vt;
    EXPECT_EQ(v.vt, vt);
    EXPECT_EQ(v.llVal, 1234);
  }
}

TEST(VariantClear, KeepsALockedArray) {
  VARIANT v = TextArray({u"a"});
  SafeArrayLock(v.parray);
  EXPECT_EQ(VariantClear(&v), DISP_E_ARRAYISLOCKED);
  EXPECT_EQ(v.vt, VT_ARRAY | VT_BSTR);
  SafeArrayUnlock(v.parray);
  EXPECT_EQ(VariantClear(&v), S_OK);
}

TEST(VariantCopy, DuplicatesStringsByteForByte) {
  VARIANT source = TextVariant(std::u16string(u"a\0b", 3));
  VARIANT copy = TextVariant(u"old");
  EXPECT_EQ(VariantCopy(&copy, &source), S_OK);
  EXPECT_NE(copy.bstrVal, source.bstrVal);
  EXPECT_EQ(TextOf(copy.bstrVal), std::u16string(u"a\0b", 3));
  source.bstrVal[0] = u'J';
  EXPECT_EQ(copy.bstrVal[0], u'a');
  VariantClear(&source);
  VariantClear(&copy);

  // An odd byte length survives too.
  VARIANT odd = VariantOf(VT_BSTR, 0);
  odd.bstrVal = SysAllocStringByteLen("abc", 3);
  VARIANT oddCopy = VariantOf(VT_EMPTY, 0);
  EXPECT_EQ(VariantCopy(&oddCopy, &odd), S_OK);
  EXPECT_EQ(SysStringByteLen(oddCopy.bstrVal), 3u);
  VariantClear(&odd);
  VariantClear(&oddCopy);
}

TEST(VariantCopy, TurnsANullStringIntoAnEmptyOne) {
  VARIANT source = VariantOf(VT_BSTR, 0);
  VARIANT copy = VariantOf(VT_EMPTY, 0);
  EXPECT_EQ(VariantCopy(&copy, &source), S_OK);
  EXPECT_EQ(copy.vt, VT_BSTR);
  ASSERT_NE(copy.bstrVal, nullptr);
  EXPECT_EQ(SysStringLen(copy.bstrVal), 0u);
  VariantClear(&copy);
}

TEST(VariantCopy, OntoItselfChangesNothing) {
  VARIANT v = TextVariant(u"self");
  const BSTR before = v.bstrVal;
  EXPECT_EQ(VariantCopy(&v, &v), S_OK);
  EXPECT_EQ(v.bstrVal, before);
  EXPECT_EQ(TextOf(v.bstrVal), u"self");
  VariantClear(&v);
}

TEST(VariantCopy, RefusesAnInvalidSourceWithoutTouchingTheDestination) {
  VARIANT source = VariantOf(0x7FFF, 1);
  VARIANT dest = TextVariant(u"kept");
  EXPECT_EQ(VariantCopy(&dest, &source), DISP_E_BADVARTYPE);
  EXPECT_EQ(TextOf(dest.bstrVal), u"kept");
  VariantClear(&dest);
  EXPECT_EQ(VariantCopy(nullptr, &source), E_INVALIDARG);
}

TEST(VariantCopy, CopiesArraysDeeplyAndReferencesInterfaces) {
  VARIANT array = TextArray({u"one", u"two"});
  VARIANT copy = VariantOf(VT_EMPTY, 0);
  EXPECT_EQ(VariantCopy(&copy, &array), S_OK);
  EXPECT_NE(copy.parray, array.parray);
  EXPECT_TRUE(VariantValuesEqual(copy, array));
  VariantClear(&array);
  BSTR second = nullptr;
  LONG index = 1;
  EXPECT_EQ(SafeArrayGetElement(copy.parray, &index, &second), S_OK);
  EXPECT_EQ(std::u16string(second), u"two");
  SysFreeString(second);
  VariantClear(&copy);

  CountingUnknown object;
  VARIANT unknown = VariantOf(VT_UNKNOWN, 0);
  unknown.punkVal = &object;
  VARIANT unknownCopy = VariantOf(VT_EMPTY, 0);
  EXPECT_EQ(VariantCopy(&unknownCopy, &unknown), S_OK);
  EXPECT_EQ(unknownCopy.punkVal, &object);
  EXPECT_EQ(object.references, 2u);
  VariantClear(&unknownCopy);
  EXPECT_EQ(object.references, 1u);
}

TEST(VariantValuesEqual, ComparesTypeAndValue) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  struct Case {
    VARIANT a;
    VARIANT b;
    bool equal;
  } cases[] = {
      {VariantOf(VT_I4, 7), VariantOf(VT_I4, 7), true},
      {VariantOf(VT_I4, 7), VariantOf(VT_UI4, 7), false},
      {VariantOf(VT_I2, 7), VariantOf(VT_I2, 8), false},
      {VariantOf(VT_EMPTY, 0), VariantOf(VT_EMPTY, 0), true},
      {VariantOf(VT_EMPTY, 0), VariantOf(VT_NULL, 0), false},
      {Real(nan), Real(nan), true},
      {Real(0.0), Real(-0.0), true},
      {Real(1.0), Real(1.0 + 1e-15), false},
      {TextVariant(u"abc"), TextVariant(u"abc"), true},
      {TextVariant(u""), VariantOf(VT_BSTR, 0), true},
      {TextVariant(std::u16string(u"a\0b", 3)), TextVariant(std::u16string(u"a\0c", 3)), false},
      {TextVariant(u"ab"), TextVariant(u"abc"), false},
      {TextArray({u"a", u"b"}), TextArray({u"a", u"b"}), true},
      {TextArray({u"a", u"b"}), TextArray({u"a", u"c"}), false},
      {TextArray({u"a", u"b"}), TextArray({u"a"}), false},
  };
  for (Case& c : cases) {
    EXPECT_EQ(VariantValuesEqual(c.a, c.b), c.equal) << c.a.vt << " / " << c.b.vt;
    VariantClear(&c.a);
    VariantClear(&c.b);
  }
}
