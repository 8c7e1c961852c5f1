// The host's life as clients in other processes see it: a stopped host asks
// its clients to let go through the shutdown connection point, and a client
// process that dies while subscribed is cleaned up by COM's rundown of its
// objects, after which the host serves the next client.
#include "SinkObject.h"
#include "WholeRoad.h"

#include <atomic>
#include <condition_variable>
#include <mutex>

namespace WholeRoad {
namespace {

using LifetimeRoad = ClientTest;

class ShutdownRecorder final : public SinkObject<IOPCShutdown> {
 public:
  ShutdownRecorder() : SinkObject(IID_IOPCShutdown) {}
  HRESULT STDMETHODCALLTYPE ShutdownRequest(LPCWSTR reason) override {
    std::lock_guard<std::mutex> lock(mutex_);
    reason_ = reason ? reason : L"(null)";
    arrived_ = true;
    changed_.notify_all();
    return S_OK;
  }
  bool Wait(DWORD timeoutMs) {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return arrived_; });
  }
  std::wstring Reason() {
    std::lock_guard<std::mutex> lock(mutex_);
    return reason_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  bool arrived_ = false;
  std::wstring reason_;
};

TEST_F(LifetimeRoad, AStoppedHostSendsTheShutdownRequestAndEnds) {
  ComPtr<IConnectionPointContainer> container =
      session_.Query<IConnectionPointContainer>(IID_IConnectionPointContainer);
  ASSERT_TRUE(container);
  ComPtr<IConnectionPoint> point;
  ASSERT_EQ(container->FindConnectionPoint(IID_IOPCShutdown, point.GetAddressOf()), S_OK);
  auto* recorder = new ShutdownRecorder();
  DWORD cookie = 0;
  ASSERT_EQ(point->Advise(recorder, &cookie), S_OK);

  ASSERT_TRUE(HostRunning());
  const ProgramRun stop = RunBeside(L"vorlix-host.exe", L"--stop");
  ASSERT_EQ(stop.exitCode, 0u) << stop.output;
  EXPECT_TRUE(recorder->Wait(kPatienceMs));
  // The toolkit gives no reason: an empty text.
  EXPECT_EQ(recorder->Reason(), L"");
  // As asked, the client lets go; the host then ends without waiting out its grace.
  point->Unadvise(cookie);
  point.Reset();
  container.Reset();
  session_.Disconnect();
  recorder->Release();
  EXPECT_TRUE(WaitForHostToEnd(kPatienceMs));

  // The next client gets a new host from COM.
  ASSERT_FALSE(session_.Connect(kProgId).Failed());
  EXPECT_TRUE(HostRunning());
}

// COM on the real platform runs a dead client's objects down once its pings
// stop (minutes later), and the server object's last Release frees its
// groups. Wine's COM does not: the stubs of a killed client stay until the
// server ends (checked for a minute), so the server object is never released
// here, and that freeing is tested in process (the toolkit's own tests of the
// server object's last Release). What is tested here is what a client sees:
// the host keeps serving while a dead client's group and callback remain.
TEST_F(LifetimeRoad, AKilledSubscribedClientDoesNotDisturbTheNext) {
  PROCESS_INFORMATION watcher = StartBeside(L"opc-client.exe", L"ZelvoOPCServer watch P1.Analog.Flow --rate 50");
  ASSERT_NE(watcher.hProcess, nullptr);
  // Let it connect and subscribe (its first value comes within a rate or two).
  Sleep(2000);
  EXPECT_EQ(WaitForSingleObject(watcher.hProcess, 0), static_cast<DWORD>(WAIT_TIMEOUT)) << "the watcher ended early";
  TerminateProcess(watcher.hProcess, 9);
  WaitForSingleObject(watcher.hProcess, kPatienceMs);
  CloseHandle(watcher.hThread);
  CloseHandle(watcher.hProcess);

  // Changes of the dead client's item make the server call its dead sink
  // at every scan; this client's writes and reads still go through.
  for (LONG value : {11, 12, 13}) {
    ASSERT_EQ(WriteItem(kFlow, Integer(value)), S_OK);
    OPCITEMSTATE state = ReadItem(kFlow);
    EXPECT_EQ(V_UI4(&state.vDataValue), static_cast<ULONG>(value));
  }
  OpcSession next;
  ASSERT_FALSE(next.Connect(kProgId).Failed());
  OPCSERVERSTATUS* status = nullptr;
  ASSERT_EQ(next.Server()->GetStatus(&status), S_OK);
  EXPECT_EQ(status->dwServerState, OPC_STATUS_RUNNING);
  CoTaskMemFree(status->szVendorInfo);
  CoTaskMemFree(status);

  // The dead client's object would keep this host alive: it is told to stop,
  // so no later test (or run) meets it.
  next.Disconnect();
  session_.Disconnect();
  EXPECT_EQ(RunBeside(L"vorlix-host.exe", L"--stop").exitCode, 0u);
  EXPECT_TRUE(WaitForHostToEnd(kPatienceMs));
}

}  // namespace
}  // namespace WholeRoad
