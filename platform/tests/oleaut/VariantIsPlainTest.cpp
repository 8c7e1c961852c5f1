// Which variants hold their whole value in themselves: exactly those that
// VariantCopy copies as their bytes and VariantClear only marks empty.
#include "platform/variant.h"

#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>

TEST(VariantIsPlain, ScalarsArePlainAndWhatOwnsOrRefersIsNot) {
  for (VARTYPE vt : std::initializer_list<VARTYPE>{VT_EMPTY, VT_NULL, VT_I2, VT_I4, VT_R4, VT_R8, VT_CY, VT_DATE, VT_ERROR, VT_BOOL, VT_DECIMAL, VT_I1,
                     VT_UI1, VT_UI2, VT_UI4, VT_I8, VT_UI8, VT_INT, VT_UINT}) {
    EXPECT_TRUE(VariantIsPlain(vt)) << vt;
  }
  for (VARTYPE vt : std::initializer_list<VARTYPE>{VT_BSTR, VT_DISPATCH, VT_UNKNOWN, VT_VARIANT, static_cast<VARTYPE>(15),
                     static_cast<VARTYPE>(VT_I4 | VT_BYREF), static_cast<VARTYPE>(VT_R8 | VT_ARRAY),
                     static_cast<VARTYPE>(VT_BSTR | VT_ARRAY), static_cast<VARTYPE>(VT_VARIANT | VT_BYREF),
                     static_cast<VARTYPE>(36), static_cast<VARTYPE>(0xFFFF)}) {
    EXPECT_FALSE(VariantIsPlain(vt)) << vt;
  }
}

TEST(VariantIsPlain, VariantCopyOfEveryPlainTypeIsItsBytes) {
  for (VARTYPE vt = 0; vt < 32; ++vt) {
    if (!VariantIsPlain(vt)) continue;
    VARIANT source;
    std::memset(&source, 0x5A, sizeof source);
    source.vt = vt;
    VARIANT copied;
    VariantInit(&copied);
    ASSERT_EQ(VariantCopy(&copied, &source), S_OK) << vt;
    // A decimal fills the whole variant but its type word: all 16 bytes count.
    EXPECT_EQ(std::memcmp(&copied, &source, sizeof(VARIANT)), 0) << vt;
    EXPECT_EQ(VariantClear(&copied), S_OK) << vt;
  }
}
