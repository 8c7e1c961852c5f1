#include "app/CVorlixApp.h"
#include "support/TraceCapture.h"

#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <vector>

// A text and its suffix reach the host as one line, cut as a whole to the
// host's buffer; a missing suffix adds nothing and a missing text sends nothing.
TEST(TraceSuffix, JoinedAndCutAsOneLine) {
  const std::string ninetyEight(98, 'a');
  const std::string tooLong(120, 'b');
  const struct {
    const char* text;
    const char* suffix;
    std::string expected;
  } cases[] = {
      {"IOPCServer::QueryInterface", " E_INVALIDARG", "IOPCServer::QueryInterface E_INVALIDARG"},
      {"EndServer ", "", "EndServer "},
      {"SetClientName", nullptr, "SetClientName"},
      {ninetyEight.c_str(), "xyz", ninetyEight + "x"},
      {tooLong.c_str(), "lost", std::string(99, 'b')},
  };
  TraceCapture capture;
  for (const auto& c : cases) VorlixApp().TraceMessage(c.text, c.suffix);
  VorlixApp().TraceMessage(nullptr, " S_OK");
  const std::vector<std::string> texts = capture.Texts();
  ASSERT_EQ(texts.size(), std::size(cases));
  for (size_t i = 0; i < texts.size(); ++i) EXPECT_EQ(texts[i], cases[i].expected) << i;
}
