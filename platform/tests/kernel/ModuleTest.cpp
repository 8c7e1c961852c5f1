#include "platform/module.h"

#include "platform/hresult.h"
#include "platform/lasterror.h"
#include "platform/widetext.h"

#include <gtest/gtest.h>

#include <climits>

#include <unistd.h>

namespace {
std::string ExecutableFromKernel() {
  char path[PATH_MAX] = {};
  return std::string(path, static_cast<size_t>(::readlink("/proc/self/exe", path, sizeof path - 1)));
}
}  // namespace

TEST(Module, FileNameOfTheExecutableWholeOrCutToTheBuffer) {
  const std::string expected = ExecutableFromKernel();
  WCHAR path[4096];
  SetLastError(0);
  ASSERT_EQ(GetModuleFileNameW(nullptr, path, 4096), expected.size());
  EXPECT_EQ(NarrowAnsi(path).value(), expected);
  EXPECT_EQ(GetLastError(), 0u);

  WCHAR shortBuffer[5];
  EXPECT_EQ(GetModuleFileNameW(nullptr, shortBuffer, 5), 5u);
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  EXPECT_EQ(NarrowAnsi(shortBuffer).value(), expected.substr(0, 4));
}

TEST(Module, AnyOtherModuleIsUnknown) {
  WCHAR path[MAX_PATH];
  EXPECT_EQ(GetModuleFileNameW(reinterpret_cast<HMODULE>(0x1000), path, MAX_PATH), 0u);
  EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);
}
