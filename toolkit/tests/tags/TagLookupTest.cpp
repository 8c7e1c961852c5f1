#include "app/CVorlixApp.h"
#include "support/HostCalls.h"
#include "tags/TagHashIndex.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The CRC one byte at a time, as the index defines its hash.
DWORD BytewiseCrc(const std::string& key) {
  DWORD crc = 0xFFFFFFFFu;
  for (unsigned char c : key) {
    crc ^= c;
    for (int bit = 0; bit < 8; ++bit) crc = (crc & 1) != 0 ? 0xEDB88320u ^ (crc >> 1) : crc >> 1;
  }
  return crc;
}

}  // namespace

TEST(TagLookup, HashOfEveryLengthIsTheBytewiseCrc) {
  std::string key;
  for (int length = 0; length <= 40; ++length) {
    EXPECT_EQ(TagHashIndex::Hash(key), BytewiseCrc(key)) << length;
    key.push_back(static_cast<char>(0x41 + length * 37));
  }
}

// Lookups by name give the tree walk's answers whether the index is off, on,
// or too small to take every node.
TEST(TagLookup, NamesResolveAlikeWithAndWithoutTheIndex) {
  for (UINT hashing : {0u, 101u, 11u}) {
    SCOPED_TRACE(hashing);
    SetHashing(hashing);
    std::vector<DWORD> handles;
    for (const char* name : {"A.B.C", "A.B.D", "X", ".a", "a..b", "a.b.", "P", "P.Q"}) {
      handles.push_back(NewTag(name));
      ASSERT_NE(handles.back(), VORLIX_INVALID_TAG) << name;
    }
    const struct {
      const char* path;
      const char* item;
      const char* found;  // the name of the record found, or NULL
      bool leaf;
    } cases[] = {
        {"", "A.B.C", "A.B.C", true}, {"A", "B.D", "A.B.D", true}, {"", "A", "A", false},
        {"", "A.B", nullptr, false},  {"", "B", nullptr, false},     {"", "X", "X", true},
        {"", ".a", ".a", true},       {"", "", "", false},          {"", "a..b", "a..b", true},
        {"", "a.b.", "a.b.", true},   {"", "a.b", nullptr, false},   {"", "a", "a", false},
        {"", "P", "P", true},         {"P", "Q", "P.Q", true},      {"", "x", nullptr, false},
    };
    CVorlixApp& app = VorlixApp();
    {
      ServerLock::Hold hold(app.GetServerLock());
      for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.path) + "|" + c.item);
        const OPCTag* tag = app.FindTag(c.path, c.item);
        if (c.found == nullptr) {
          EXPECT_EQ(tag, nullptr);
        } else {
          ASSERT_NE(tag, nullptr);
          EXPECT_EQ(tag->name, c.found);
          EXPECT_EQ(tag->HasHandle(), c.leaf);
        }
      }
    }
    EXPECT_TRUE(UpdateTagByName(std::string("a..b").data(), MakeI4(1), OPC_QUALITY_GOOD));
    EXPECT_FALSE(UpdateTagByName(std::string("A.B").data(), MakeI4(1), OPC_QUALITY_GOOD));
    for (DWORD handle : handles) RemoveTag(handle);
    EXPECT_FALSE(UpdateTagByName(std::string("A.B.C").data(), MakeI4(1), OPC_QUALITY_GOOD));
    EXPECT_TRUE(VorlixApp().RootTag().children.empty());
  }
}

// Names made under two delimiters split two ways; lookups then follow the
// delimiter in force, as the walk does.
TEST(TagLookup, AfterADelimiterChangeLookupsFollowTheDelimiterInForce) {
  ASSERT_EQ(SetHashing(101), 101u);
  const DWORD dotted = NewTag("A.B");
  SetVarnOPCsvrQualifier('/');
  ASSERT_NE(NewTag("A.B/C"), VORLIX_INVALID_TAG);
  CVorlixApp& app = VorlixApp();
  ServerLock::Hold hold(app.GetServerLock());
  const OPCTag* underSlash = app.FindTag("", "A.B");
  ASSERT_NE(underSlash, nullptr);
  EXPECT_FALSE(underSlash->HasHandle());
  EXPECT_EQ(underSlash->parent, &app.RootTag());
  SetVarnOPCsvrQualifier('.');
  EXPECT_EQ(app.FindTag("", "A.B"), app.TagFromHandle(dotted));
}
