// A tag is made only under a name a client can give back to find it.
#include "app/CVorlixApp.h"
#include "support/HostCalls.h"

#include <gtest/gtest.h>

TEST(TagName, ANameNoClientCouldGiveIsRefused) {
  EXPECT_EQ(NewTag(""), VORLIX_INVALID_TAG);
  // A lead byte with no trail byte is no character of the system's code page:
  // a client would see U+FFFD and could not give the byte back.
  EXPECT_EQ(NewTag("Bad\x81"), VORLIX_INVALID_TAG);
  EXPECT_EQ(CreateSecureTag(std::string().data(), MakeR4(1.0f), OPC_QUALITY_GOOD, 0, 0), VORLIX_INVALID_TAG);
  // Nothing was made that a flat listing could show.
  EXPECT_EQ(VorlixApp().FindTag(std::string(), ""), nullptr);
  // Names a client gives back as they are stay accepted; 0x80 is the euro
  // sign in the system's code page.
  for (const char* name : {"A", "A.B", "A..B", ".A", "A.", "\x80"}) {
    const DWORD handle = NewTag(name);
    EXPECT_NE(handle, VORLIX_INVALID_TAG) << name;
    EXPECT_EQ(Validate("", name), S_OK) << name;
  }
}
