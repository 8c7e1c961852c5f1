#include "HostServer.h"

#include "DataFile.h"
#include "HostIdentity.h"
#include "ProgramFolder.h"
#include "Utf8Text.h"
#include "Vorlix.h"

#include "platform/taskmemory.h"

#include <cstdio>
#include <vector>

namespace {
// Posted to the main thread when a client has gone.
constexpr UINT kClientLeft = WM_APP + 1;
}  // namespace

HostServer* HostServer::running_ = nullptr;

std::wstring HostServer::StopEventName(const std::wstring& progId) { return kStopEventPrefix + progId; }

bool HostServer::StopRunningHost(const std::wstring& progId) {
  HANDLE event = OpenEventW(EVENT_MODIFY_STATE, FALSE, StopEventName(progId).c_str());
  if (!event) return false;
  const bool set = SetEvent(event) != FALSE;
  CloseHandle(event);
  return set;
}

int HostServer::Run() {
  if (running_ != nullptr) return 1;
  running_ = this;
  mainThread_ = GetCurrentThreadId();
  startedAt_ = GetTickCount64();
  lastClientSeen_ = startedAt_;
  stopEvent_ = CreateEventW(nullptr, TRUE, FALSE, StopEventName(options_.progId).c_str());
  if (!stopEvent_) {
    std::fprintf(stderr, "vorlix-host: CreateEvent failed: error %lu\n", GetLastError());
    running_ = nullptr;
    return 1;
  }
  SetConsoleCtrlHandler(OnConsoleControl, TRUE);
  // The first call puts a counting spy on the task allocator.
  const size_t blocksBefore = options_.countTaskMemory ? TaskMemoryLiveBlocks() : 0;
  const bool started = Start();
  if (started) Loop();
  // The shutdown request first, so connected clients let go of their
  // objects, then the toolkit's own wait for them.
  const int clients = RequestDisconnect();
  if (clients > 0) std::printf("vorlix-host: asked %d client(s) to disconnect\n", clients);
  UninitVarnOPCsvr();
  if (options_.countTaskMemory) {
    std::printf("vorlix-host: task-memory blocks still open: %lld\n",
                static_cast<long long>(TaskMemoryLiveBlocks()) - static_cast<long long>(blocksBefore));
  }
  EnableWriteNotification2(nullptr, FALSE);
  EnableDeviceRead(nullptr);
  EnableDisconnectNotification(nullptr);
  SetConsoleCtrlHandler(OnConsoleControl, FALSE);
  CloseHandle(stopEvent_);
  running_ = nullptr;
  std::fflush(stdout);
  return started ? 0 : 1;
}

bool HostServer::Start() {
  const std::wstring path = options_.dataFile.empty() ? ProgramFolder::Beside(kDemoDataFile) : options_.dataFile;
  std::vector<HostVariable> variables;
  std::string error;
  if (!DataFile::Load(NarrowToUtf8(path), variables, error)) {
    std::fprintf(stderr, "vorlix-host: %s\n", error.c_str());
    return false;
  }
  // Tags first: a client that connects finds the whole address space.
  tags_.Create(variables);
  std::string vendor = kHostDescription;
  SetVarnVendorInfo(vendor.data());
  BYTE classId[16];
  std::copy(std::begin(kHostClassIdBytes), std::end(kHostClassIdBytes), classId);
  if (!InitVarnOPCsvr(classId, kServerRateMs)) {
    std::fprintf(stderr, "vorlix-host: InitVarnOPCsvr failed\n");
    return false;
  }
  EnableWriteNotification2(OnWrite, TRUE);
  EnableDisconnectNotification(OnDisconnect);
  EnableDeviceRead(OnDeviceRead);
  std::printf("vorlix-host: serving %zu tags as %s%s\n", tags_.Count(), NarrowToUtf8(options_.progId).c_str(),
              options_.simulate ? ", simulating" : "");
  std::fflush(stdout);
  return true;
}

void HostServer::Loop() {
  const UINT_PTR timer = SetTimer(nullptr, 0, kStepMs, nullptr);
  for (;;) {
    const DWORD woken = MsgWaitForMultipleObjects(1, &stopEvent_, FALSE, INFINITE, QS_ALLINPUT);
    if (woken == WAIT_OBJECT_0) break;
    MSG message;
    bool quit = false;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) quit = true;
      if (message.message == WM_TIMER && message.hwnd == nullptr) Step();
      if (message.message == kClientLeft && LifetimeOver()) quit = true;
      if (message.hwnd != nullptr) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
      }
    }
    if (quit || LifetimeOver()) break;
  }
  if (timer) KillTimer(nullptr, timer);
}

void HostServer::Step() {
  if (NumbrClientConnections() > 0) {
    servedAClient_ = true;
    lastClientSeen_ = GetTickCount64();
  }
  if (options_.simulate) tags_.Simulate(step_++);
}

bool HostServer::LifetimeOver() const {
  if (!options_.startedByCom || NumbrClientConnections() > 0) return false;
  const ULONGLONG now = GetTickCount64();
  return servedAClient_ ? now - lastClientSeen_ >= kIdleMs : now - startedAt_ >= kFirstClientMs;
}

void CALLBACK HostServer::OnWrite(DWORD tag, VARIANT* value, DWORD* /*result*/, char* user) {
  // The result stays 0: the toolkit stores the value as well.
  if (running_ && value) running_->tags_.TakeWrite(tag, *value, user);
}

void CALLBACK HostServer::OnDeviceRead(DWORD tag, VARIANT* value, WORD* quality, FILETIME* timestamp) {
  // The host is the device: its reading is the tag's current state.
  ReadTagWithTimeStamp(tag, value, quality, timestamp);
}

void CALLBACK HostServer::OnDisconnect(DWORD clients) {
  if (!running_) return;
  running_->servedAClient_ = true;
  running_->lastClientSeen_ = GetTickCount64();
  if (clients == 0) PostThreadMessageW(running_->mainThread_, kClientLeft, 0, 0);
}

BOOL WINAPI HostServer::OnConsoleControl(DWORD control) {
  if (control != CTRL_C_EVENT && control != CTRL_BREAK_EVENT && control != CTRL_CLOSE_EVENT) return FALSE;
  if (running_) SetEvent(running_->stopEvent_);
  return TRUE;
}
