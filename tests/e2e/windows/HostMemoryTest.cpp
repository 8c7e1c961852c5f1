// The host's side of the whole road: every task-allocator block the host
// process takes while it serves a client is freed, both the answers it hands
// out (freed by its stubs once sent) and the arrays its stubs copy in from the
// client's calls. The host runs with its counter (--count-task-memory) and
// prints, as it ends, how many blocks taken while it served are still open.
//
// The host is started here rather than by COM, so that its output can be read;
// while it runs, its class has no LocalServer32 key, so COM cannot start
// another for this client. OLE Automation's cache of freed texts is off in the
// host (OANOCACHE, which it inherits): the texts it keeps for reuse would
// otherwise count as open.
#include "ClientCommands.h"
#include "WholeRoad.h"

#include <gmock/gmock.h>

#include <atomic>
#include <thread>

namespace WholeRoad {
namespace {

constexpr wchar_t kHostProgram[] = L"vorlix-host.exe";
constexpr DWORD kHostLifeMs = 60000;

std::wstring DataFileArgument() { return L"\"" + ProgramFolder::Beside(L"whole-road-data.json") + L"\""; }

class HostMemory : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
    const ProgramRun registration = RunBeside(kHostProgram, L"--register " + DataFileArgument());
    ASSERT_TRUE(registration.finished && registration.exitCode == 0) << registration.output;
    // A host an earlier test left would take this test's calls.
    if (HostRunning()) {
      RunBeside(kHostProgram, L"--stop");
      ASSERT_TRUE(WaitForHostToEnd(kPatienceMs));
    }
    CLSID classId;
    ASSERT_EQ(CLSIDFromProgID(kProgId, &classId), S_OK);
    wchar_t text[40] = {};
    StringFromGUID2(classId, text, ARRAYSIZE(text));
    const std::wstring key = std::wstring(L"CLSID\\") + text + L"\\LocalServer32";
    ASSERT_EQ(RegDeleteTreeW(HKEY_CLASSES_ROOT, key.c_str()), ERROR_SUCCESS);

    ASSERT_TRUE(SetEnvironmentVariableW(L"OANOCACHE", L"1"));
    host_ = std::thread([this] {
      hostRun_ = RunBeside(kHostProgram, L"--count-task-memory " + DataFileArgument(), kHostLifeMs);
      hostEnded_ = true;
    });
  }

  void TearDown() override {
    commands_.Session().Disconnect();
    StopHost();
    SetEnvironmentVariableW(L"OANOCACHE", nullptr);
    // The key back, for the tests after this one.
    RunBeside(kHostProgram, L"--register " + DataFileArgument());
    CoUninitialize();
  }

  // Connects once the host has registered its class object.
  bool ConnectToTheHost() {
    const ULONGLONG until = GetTickCount64() + kPatienceMs;
    while (GetTickCount64() < until) {
      if (!commands_.Session().Connect(kProgId).Failed()) return true;
      Sleep(100);
    }
    return false;
  }

  // Asks the host to stop, once it runs (it may still be starting), and waits for its end.
  void StopHost() {
    if (!host_.joinable()) return;
    const ULONGLONG until = GetTickCount64() + kPatienceMs;
    while (!hostEnded_ && GetTickCount64() < until) {
      if (HostRunning() && RunBeside(kHostProgram, L"--stop").exitCode == 0) break;
      Sleep(100);
    }
    host_.join();
  }

  std::ostringstream out_;
  std::ostringstream err_;
  ClientCommands commands_{out_, err_};
  std::thread host_;
  std::atomic<bool> hostEnded_{false};
  ProgramRun hostRun_;
};

TEST_F(HostMemory, TheHostFreesEveryBlockItTakesForItsClient) {
  ASSERT_TRUE(ConnectToTheHost()) << "the host did not serve within " << kPatienceMs << " ms";
  ClientOptions watch;
  watch.items = {kTemp, kPump};
  watch.rateMs = 100;
  watch.count = 1;
  watch.timeoutSeconds = 10;
  // Rounds alike: a block left per call would grow with them.
  for (int round = 0; round < 3; ++round) {
    SCOPED_TRACE(round);
    EXPECT_FALSE(commands_.Status().Failed());
    EXPECT_FALSE(commands_.Browse(L"").Failed());
    EXPECT_FALSE(commands_.Props(kTemp).Failed());
    EXPECT_FALSE(commands_.Read({kTemp, kOutletTemp, kPump}, false).Failed());
    EXPECT_FALSE(commands_.Read({kFixed}, true).Failed());
    EXPECT_FALSE(commands_.Write({std::wstring(kFlow) + L"=42", std::wstring(kLevel) + L"=7"}).Failed());
    EXPECT_TRUE(commands_.Read({L"Nope", kTemp}, false).Failed());
    watch.version1 = false;
    EXPECT_FALSE(commands_.Watch(watch).Failed());
    watch.version1 = true;
    EXPECT_FALSE(commands_.Watch(watch).Failed());
  }
  commands_.Session().Disconnect();
  StopHost();
  ASSERT_TRUE(hostRun_.finished) << hostRun_.output;
  EXPECT_EQ(hostRun_.exitCode, 0u) << hostRun_.output;
  EXPECT_THAT(hostRun_.output, ::testing::HasSubstr("vorlix-host: task-memory blocks still open: 0\n"));
  EXPECT_EQ(err_.str(), "");
}

}  // namespace
}  // namespace WholeRoad
