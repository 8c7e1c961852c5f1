#include "platform/clipboard.h"
#include "platform/hresult.h"
#include "platform/lasterror.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

TEST(Clipboard, NamesDifferingInCaseShareOneId) {
  const UINT data = RegisterClipboardFormatA("OPCSTMFORMATDATA");
  const UINT time = RegisterClipboardFormatA("OPCSTMFORMATDATATIME");
  EXPECT_GE(data, 0xC000u);
  EXPECT_GE(time, 0xC000u);
  EXPECT_NE(data, time);
  EXPECT_EQ(RegisterClipboardFormatA("opcStmFormatData"), data);
  EXPECT_EQ(RegisterClipboardFormatA("caf\xC9"), RegisterClipboardFormatA("CAF\xE9"));
  EXPECT_NE(RegisterClipboardFormatA("a\xF7"), RegisterClipboardFormatA("a\xD7"));  // signs, not letters
}

TEST(Clipboard, EmptyNamesAreRefused) {
  for (LPCSTR name : {static_cast<LPCSTR>(nullptr), ""}) {
    SetLastError(0);
    EXPECT_EQ(RegisterClipboardFormatA(name), 0u);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  }
}

TEST(Clipboard, ThreadsRegisteringTheSameNamesAgree) {
  std::vector<std::vector<UINT>> ids(4);
  std::vector<std::thread> threads;
  for (auto& mine : ids) {
    threads.emplace_back([&mine] {
      for (int i = 0; i < 50; ++i) mine.push_back(RegisterClipboardFormatA(("format " + std::to_string(i)).c_str()));
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (const auto& mine : ids) EXPECT_EQ(mine, ids[0]);
}
