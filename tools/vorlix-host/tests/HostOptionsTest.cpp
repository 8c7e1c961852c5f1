// The host's command line, and the command line its registration gives COM,
// read back by the system's own splitter.
#include "HostOptions.h"

#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

namespace {

HostOptions ParseOk(const std::vector<std::wstring>& arguments) {
  HostOptions options;
  std::wstring error;
  EXPECT_TRUE(HostOptions::Parse(arguments, options, error)) << error.size();
  return options;
}

std::wstring ParseError(const std::vector<std::wstring>& arguments) {
  HostOptions options;
  std::wstring error;
  EXPECT_FALSE(HostOptions::Parse(arguments, options, error));
  return error;
}

TEST(HostOptions, ReadsEachForm) {
  HostOptions serve = ParseOk({});
  EXPECT_EQ(serve.action, HostOptions::Action::Serve);
  EXPECT_EQ(serve.progId, L"ZelvoOPCServer");
  EXPECT_FALSE(serve.simulate);
  EXPECT_FALSE(serve.startedByCom);

  HostOptions byCom = ParseOk({L"--simulate", L"C:\\data\\my data.json", L"-Embedding"});
  EXPECT_TRUE(byCom.simulate);
  EXPECT_TRUE(byCom.startedByCom);
  EXPECT_EQ(byCom.dataFile, L"C:\\data\\my data.json");
  EXPECT_TRUE(ParseOk({L"/embedding"}).startedByCom);
  EXPECT_TRUE(ParseOk({L"--count-task-memory"}).countTaskMemory);
  EXPECT_FALSE(serve.countTaskMemory);

  HostOptions registration = ParseOk({L"--register", L"--progid", L"Other.Server", L"--simulate"});
  EXPECT_EQ(registration.action, HostOptions::Action::Register);
  EXPECT_EQ(registration.progId, L"Other.Server");
  EXPECT_EQ(ParseOk({L"--unregister"}).action, HostOptions::Action::Unregister);
  EXPECT_EQ(ParseOk({L"--stop"}).action, HostOptions::Action::Stop);
}

TEST(HostOptions, RefusesWhatItDoesNotKnow) {
  EXPECT_EQ(ParseError({L"--frobnicate"}), L"unknown option --frobnicate");
  EXPECT_EQ(ParseError({L"a.json", L"b.json"}), L"more than one data file: b.json");
  EXPECT_EQ(ParseError({L"--progid"}), L"--progid needs a name");
  EXPECT_EQ(ParseError({L"--register", L"--stop"}), L"only one of --register, --unregister and --stop may be given");
  EXPECT_EQ(ParseError({L"--unregister", L"--simulate"}), L"--unregister and --stop take no data file and no --simulate");
}

TEST(HostOptions, RegisteredCommandLineSplitsBackIntoTheSameOptions) {
  const std::wstring files[] = {L"plain.json", L"C:\\with space\\d.json", L"C:\\trailing\\", L"q\"uote.json",
                                L"C:\\a b\\c\\\\"};
  for (const std::wstring& file : files) {
    HostOptions options;
    options.simulate = true;
    options.progId = L"My Server";
    options.dataFile = file;
    const std::wstring line = L"host.exe" + options.ServeArguments() + L" -Embedding";
    int count = 0;
    LPWSTR* split = CommandLineToArgvW(line.c_str(), &count);
    ASSERT_NE(split, nullptr);
    std::vector<std::wstring> arguments(split + 1, split + count);
    LocalFree(split);
    const HostOptions back = ParseOk(arguments);
    EXPECT_TRUE(back.simulate);
    EXPECT_TRUE(back.startedByCom);
    EXPECT_EQ(back.progId, L"My Server");
    EXPECT_EQ(back.dataFile, file);
  }
}

}  // namespace
