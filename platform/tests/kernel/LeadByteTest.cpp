#include "platform/codepage.h"

#include <gtest/gtest.h>

TEST(LeadByte, OnlyDoubleByteCodePagesHaveLeadBytes) {
  const struct {
    UINT codePage;
    BYTE byte;
    BOOL lead;
  } cases[] = {
      // 936: 0x81-0xFE start two-byte characters; 0x80 is the euro sign alone,
      // 0xFF nothing, ASCII itself.
      {936, 0x81, TRUE}, {936, 0xB0, TRUE}, {936, 0xFE, TRUE}, {936, 0x80, FALSE}, {936, 0xFF, FALSE},
      {936, '\\', FALSE}, {CP_ACP, 0xD5, TRUE},
      // UTF-8 and 1252 have none.
      {CP_UTF8, 0xE4, FALSE}, {CP_UTF8, 0xC3, FALSE}, {1252, 0xE9, FALSE}, {1252, 0x81, FALSE},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IsDBCSLeadByteEx(c.codePage, c.byte), c.lead) << c.codePage << " " << int(c.byte);
  }
  EXPECT_EQ(IsDBCSLeadByte(0x81), TRUE);
}
