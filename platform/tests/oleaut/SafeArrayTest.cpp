#include "platform/bstr.h"
#include "platform/safearray.h"
#include "platform/variant.h"
#include "support/CountingUnknown.h"

#include <gtest/gtest.h>

#include <cstdint>

TEST(SafeArray, KeepsDimensionsAndBoundsInTheTargetPlatformsOrder) {
  SAFEARRAYBOUND bounds[2] = {{3, 1}, {2, -5}};  // first dimension 1..3, second -5..-4
  SAFEARRAY* psa = SafeArrayCreate(VT_I4, 2, bounds);
  ASSERT_NE(psa, nullptr);
  EXPECT_EQ(SafeArrayGetDim(psa), 2u);
  EXPECT_EQ(SafeArrayGetElemsize(psa), 4u);
  EXPECT_EQ(psa->fFeatures & FADF_HAVEVARTYPE, FADF_HAVEVARTYPE);
  // Stored right-most first.
  EXPECT_EQ(psa->rgsabound[0].lLbound, -5);
  EXPECT_EQ(psa->rgsabound[1].lLbound, 1);
  LONG lower = 0, upper = 0;
  EXPECT_EQ(SafeArrayGetLBound(psa, 1, &lower), S_OK);
  EXPECT_EQ(SafeArrayGetUBound(psa, 1, &upper), S_OK);
  EXPECT_EQ(lower, 1);
  EXPECT_EQ(upper, 3);
  EXPECT_EQ(SafeArrayGetLBound(psa, 2, &lower), S_OK);
  EXPECT_EQ(SafeArrayGetUBound(psa, 2, &upper), S_OK);
  EXPECT_EQ(lower, -5);
  EXPECT_EQ(upper, -4);
  EXPECT_EQ(SafeArrayGetLBound(psa, 0, &lower), DISP_E_BADINDEX);
  EXPECT_EQ(SafeArrayGetUBound(psa, 3, &upper), DISP_E_BADINDEX);
  VARTYPE vt = VT_EMPTY;
  EXPECT_EQ(SafeArrayGetVartype(psa, &vt), S_OK);
  EXPECT_EQ(vt, VT_I4);
  EXPECT_EQ(SafeArrayDestroy(psa), S_OK);
}

TEST(SafeArray, FirstIndexVariesFastestInMemory) {
  SAFEARRAYBOUND bounds[2] = {{3, 1}, {2, -5}};
  SAFEARRAY* psa = SafeArrayCreate(VT_I4, 2, bounds);
  for (LONG second = -5; second <= -4; ++second) {
    for (LONG first = 1; first <= 3; ++first) {
      LONG indices[2] = {first, second};
      LONG value = first * 10 + (second + 5);
      ASSERT_EQ(SafeArrayPutElement(psa, indices, &value), S_OK);
    }
  }
  void* data = nullptr;
  ASSERT_EQ(SafeArrayAccessData(psa, &data), S_OK);
  const LONG* values = static_cast<const LONG*>(data);
  const LONG expected[6] = {10, 20, 30, 11, 21, 31};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(values[i], expected[i]) << i;
  EXPECT_EQ(SafeArrayDestroy(psa), DISP_E_ARRAYISLOCKED);
  EXPECT_EQ(SafeArrayUnaccessData(psa), S_OK);
  EXPECT_EQ(SafeArrayUnaccessData(psa), E_UNEXPECTED);

  LONG outside[2] = {4, -5};
  LONG value = 0;
  EXPECT_EQ(SafeArrayGetElement(psa, outside, &value), DISP_E_BADINDEX);
  EXPECT_EQ(SafeArrayPutElement(psa, outside, &value), DISP_E_BADINDEX);
  LONG inside[2] = {3, -4};
  EXPECT_EQ(SafeArrayGetElement(psa, inside, &value), S_OK);
  EXPECT_EQ(value, 31);
  EXPECT_EQ(SafeArrayDestroy(psa), S_OK);
}

TEST(SafeArray, RefusesTypesAndSizesItCannotHold) {
  SAFEARRAYBOUND huge[2] = {{0x80000000u, 0}, {0x80000000u, 0}};
  SAFEARRAYBOUND pastLongRange = {2, INT32_MAX};
  EXPECT_EQ(SafeArrayCreate(VT_VARIANT, 2, huge), nullptr);
  EXPECT_EQ(SafeArrayCreate(VT_I4, 1, &pastLongRange), nullptr);
  EXPECT_EQ(SafeArrayCreateVector(VT_EMPTY, 0, 1), nullptr);
  EXPECT_EQ(SafeArrayCreateVector(VT_NULL, 0, 1), nullptr);
  EXPECT_EQ(SafeArrayCreate(VT_I4, 0, &pastLongRange), nullptr);
  SAFEARRAY* empty = SafeArrayCreateVector(VT_R8, 0, 0);
  ASSERT_NE(empty, nullptr);
  SAFEARRAY* emptyCopy = nullptr;
  EXPECT_EQ(SafeArrayCopy(empty, &emptyCopy), S_OK);
  EXPECT_EQ(SafeArrayDestroy(empty), S_OK);
  EXPECT_EQ(SafeArrayDestroy(emptyCopy), S_OK);
}

TEST(SafeArray, OwnsCopiesOfStringsAndVariantsAndReferencesToInterfaces) {
  SAFEARRAY* texts = SafeArrayCreateVector(VT_BSTR, 0, 2);
  BSTR hello = SysAllocString(u"hello");
  LONG index = 0;
  EXPECT_EQ(SafeArrayPutElement(texts, &index, hello), S_OK);
  BSTR* stored = static_cast<BSTR*>(texts->pvData);
  EXPECT_NE(stored[0], hello);
  SysFreeString(hello);
  // Replacing an element with its own string frees the old copy only after copying.
  EXPECT_EQ(SafeArrayPutElement(texts, &index, stored[0]), S_OK);
  BSTR out = nullptr;
  EXPECT_EQ(SafeArrayGetElement(texts, &index, &out), S_OK);
  EXPECT_EQ(std::u16string(out), u"hello");
  SysFreeString(out);

  SAFEARRAY* variants = SafeArrayCreateVector(VT_VARIANT, 0, 1);
  VARIANT inner;
  VariantInit(&inner);
  inner.vt = VT_ARRAY | VT_BSTR;
  inner.parray = texts;
  EXPECT_EQ(SafeArrayPutElement(variants, &index, &inner), S_OK);
  VariantClear(&inner);  // the outer array holds its own deep copy

  SAFEARRAY* copy = nullptr;
  EXPECT_EQ(SafeArrayCopy(variants, &copy), S_OK);
  VARIANT element;
  EXPECT_EQ(SafeArrayGetElement(copy, &index, &element), S_OK);
  EXPECT_EQ(element.vt, VT_ARRAY | VT_BSTR);
  EXPECT_NE(element.parray, static_cast<VARIANT*>(variants->pvData)->parray);
  EXPECT_EQ(std::u16string(static_cast<BSTR*>(element.parray->pvData)[0]), u"hello");
  EXPECT_EQ(static_cast<BSTR*>(element.parray->pvData)[1], nullptr) << "a null string stays null";
  VariantClear(&element);
  EXPECT_EQ(SafeArrayDestroy(copy), S_OK);
  EXPECT_EQ(SafeArrayDestroy(variants), S_OK);

  CountingUnknown object;
  SAFEARRAY* objects = SafeArrayCreateVector(VT_UNKNOWN, 0, 1);
  EXPECT_EQ(SafeArrayPutElement(objects, &index, static_cast<IUnknown*>(&object)), S_OK);
  EXPECT_EQ(object.references, 2u);
  EXPECT_EQ(SafeArrayCopy(objects, &copy), S_OK);
  EXPECT_EQ(object.references, 3u);
  EXPECT_EQ(SafeArrayDestroy(copy), S_OK);
  EXPECT_EQ(SafeArrayDestroy(objects), S_OK);
  EXPECT_EQ(object.references, 1u);
}
