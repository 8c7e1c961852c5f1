#include "platform/bstr.h"
#include "platform/safearray.h"
#include "platform/variant.h"

#include <gtest/gtest.h>

namespace {

VARIANT Reference(VARTYPE vt, void* target) {
  VARIANT reference;
  VariantInit(&reference);
  reference.vt = vt | VT_BYREF;
  reference.byref = target;
  return reference;
}

HRESULT CopyInd(VARIANT* destination, VARIANT source) { return VariantCopyInd(destination, &source); }

}  // namespace

TEST(VariantCopyInd, AReferenceIsCopiedAsTheValueItRefersTo) {
  BYTE byte = 200;
  SHORT shortValue = -3;
  VARIANT_BOOL flag = VARIANT_TRUE;
  LONG longValue = -70000;
  FLOAT real = 1.25f;
  LONGLONG longLong = -(1LL << 40);
  DOUBLE dbl = 2.5;
  BSTR text = SysAllocString(u"text");
  VARIANT inner;
  VariantInit(&inner);
  inner.vt = VT_I4;
  inner.lVal = 42;

  VARIANT copy;
  VariantInit(&copy);
  ASSERT_EQ(CopyInd(&copy, Reference(VT_UI1, &byte)), S_OK);
  EXPECT_EQ(copy.vt, VT_UI1);
  EXPECT_EQ(copy.bVal, 200);
  ASSERT_EQ(CopyInd(&copy, Reference(VT_I2, &shortValue)), S_OK);
  EXPECT_EQ(copy.vt, VT_I2);
  EXPECT_EQ(copy.iVal, -3);
  ASSERT_EQ(CopyInd(&copy, Reference(VT_BOOL, &flag)), S_OK);
  EXPECT_EQ(copy.boolVal, VARIANT_TRUE);
  ASSERT_EQ(CopyInd(&copy, Reference(VT_I4, &longValue)), S_OK);
  EXPECT_EQ(copy.lVal, -70000);
  ASSERT_EQ(CopyInd(&copy, Reference(VT_R4, &real)), S_OK);
  EXPECT_EQ(copy.fltVal, 1.25f);
  ASSERT_EQ(CopyInd(&copy, Reference(VT_I8, &longLong)), S_OK);
  EXPECT_EQ(copy.llVal, -(1LL << 40));
  ASSERT_EQ(CopyInd(&copy, Reference(VT_R8, &dbl)), S_OK);
  EXPECT_EQ(copy.dblVal, 2.5);
  ASSERT_EQ(CopyInd(&copy, Reference(VT_VARIANT, &inner)), S_OK);
  EXPECT_EQ(copy.vt, VT_I4);
  EXPECT_EQ(copy.lVal, 42);

  // A string is duplicated: the copy outlives the caller's.
  ASSERT_EQ(CopyInd(&copy, Reference(VT_BSTR, &text)), S_OK);
  SysFreeString(text);
  ASSERT_EQ(copy.vt, VT_BSTR);
  EXPECT_EQ(std::u16string(copy.bstrVal), u"text");
  EXPECT_EQ(VariantClear(&copy), S_OK);
}

TEST(VariantCopyInd, ValuesArraysInPlaceAndBadReferences) {
  SAFEARRAYBOUND bound{3, 0};
  SAFEARRAY* array = SafeArrayCreate(VT_I4, 1, &bound);
  VARIANT copy;
  VariantInit(&copy);
  ASSERT_EQ(CopyInd(&copy, Reference(VT_ARRAY | VT_I4, &array)), S_OK);
  SafeArrayDestroy(array);
  EXPECT_EQ(copy.vt, VT_ARRAY | VT_I4);
  EXPECT_EQ(copy.parray->rgsabound[0].cElements, 3u);

  // Not a reference: a plain copy.
  VARIANT plain;
  VariantInit(&plain);
  plain.vt = VT_I2;
  plain.iVal = 9;
  ASSERT_EQ(VariantCopyInd(&copy, &plain), S_OK);
  EXPECT_EQ(copy.vt, VT_I2);

  // In place: the variant comes to hold the value itself.
  LONG target = 11;
  VARIANT inPlace = Reference(VT_I4, &target);
  ASSERT_EQ(VariantCopyInd(&inPlace, &inPlace), S_OK);
  target = 0;
  EXPECT_EQ(inPlace.vt, VT_I4);
  EXPECT_EQ(inPlace.lVal, 11);

  // A reference to a reference, a null reference and a bad type copy nothing.
  VARIANT innerReference = Reference(VT_I4, &target);
  VARIANT null = Reference(VT_I4, nullptr);
  VARIANT bad;
  VariantInit(&bad);
  bad.vt = 0x7FFF;
  EXPECT_EQ(CopyInd(&copy, Reference(VT_VARIANT, &innerReference)), E_INVALIDARG);
  EXPECT_EQ(VariantCopyInd(&copy, &null), E_INVALIDARG);
  EXPECT_EQ(VariantCopyInd(&copy, &bad), DISP_E_BADVARTYPE);
  EXPECT_EQ(copy.vt, VT_I2);
  EXPECT_EQ(VariantCopyInd(nullptr, &plain), E_INVALIDARG);
}
