// Names whose double-byte characters end in the delimiter's byte: in code
// page 936, U+4E57 is 0x81 0x5C and U+8AA0 is 0xD5 0x5C ('\' is 0x5C).
#include "app/CVorlixApp.h"
#include "tags/ItemName.h"
#include "support/HostCalls.h"

#include "platform/widetext.h"

#include <gtest/gtest.h>

namespace {

using Components = std::vector<std::string>;
const std::string kTrailBackslash = "\x81\x5C";   // U+4E57
const std::string kTrailBackslash2 = "\xD5\x5C";  // U+8AA0

}  // namespace

TEST(ItemNameDoubleByte, ADelimiterByteInsideACharacterSeparatesNothing) {
  const std::string one = kTrailBackslash;
  EXPECT_EQ(SplitItemName(one + "\\x", '\\'), (Components{one, "x"}));
  EXPECT_EQ(SplitItemName("a\\" + one + "\\" + kTrailBackslash2, '\\'), (Components{"a", one, kTrailBackslash2}));
  EXPECT_EQ(SplitItemName(one, '\\'), Components{one});
  EXPECT_EQ(SplitItemName(one + "\\", '\\'), Components{one});

  EXPECT_EQ(MakeFullItemName(one, "x", '\\'), one + "\\x");
  EXPECT_EQ(MakeFullItemName(one + "\\", "x", '\\'), one + "\\x");

  EXPECT_EQ(LastDelimiter(one, '\\'), std::string::npos);
  EXPECT_EQ(LastDelimiter("a\\" + one, '\\'), 1u);
  EXPECT_EQ(LastDelimiter("a.b", '.'), 1u);
}

TEST(ItemNameDoubleByte, SuchANameMakesBranchesClientsCanNameAndIsFoundUnderItsPath) {
  CVorlixApp& app = VorlixApp();
  app.SetDelimiter('\\');
  const std::string name = kTrailBackslash + "\\" + kTrailBackslash2;
  ASSERT_NE(NewTag(name.c_str()), VORLIX_INVALID_TAG);

  {
    ServerLock::Hold hold(app.GetServerLock());
    ASSERT_EQ(app.RootTag().children.size(), 1u);
    EXPECT_EQ(app.RootTag().children[0]->name, kTrailBackslash);
    EXPECT_TRUE(ClientCanNameItem(app.RootTag().children[0]->name));
  }

  WideString path = WidenAnsi(kTrailBackslash);
  WideString id = WidenAnsi(kTrailBackslash2);
  EXPECT_EQ(path, OLESTR("\u4E57"));
  OPCITEMDEF item{&path[0], &id[0], TRUE, 1, 0, nullptr, VT_EMPTY, 0};
  OPCTag* tag = nullptr;
  EXPECT_EQ(app.ValidateItem(item, nullptr, &tag, nullptr), S_OK);
  ASSERT_NE(tag, nullptr);
  EXPECT_EQ(tag->name, name);
}
