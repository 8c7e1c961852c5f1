#include "RoadServer.h"

#include "HostRegistration.h"
#include "RoadClient.h"
#include "RoadClock.h"
#include "Utf8Text.h"
#include "Vorlix.h"

#include <cstdio>
#include <cstring>

namespace {

// Longest wait for the clients to connect and subscribe, and to end.
constexpr DWORD kPatienceMs = 60000;
// The updates before the measured window, so that every group delivers.
constexpr double kWarmUpSeconds = 0.5;
constexpr WORD kGood = 0xC0;

VARIANT Real(float value) {
  VARIANT variant;
  VariantInit(&variant);
  V_VT(&variant) = VT_R4;
  V_R4(&variant) = value;
  return variant;
}

}  // namespace

int RoadServer::Run() {
  std::string error;
  bool measured = Start(error) && StartClients(error) && WaitForClients(error);
  if (measured) {
    if (options_.task == RoadBoardData::kSubscribe) {
      MeasureDeliveries();
    } else {
      const RoadBoardData& data = board_.Data();
      std::printf("seconds=%.6f reads=%lld call_seconds=%.6f calls=%lld\n", data.readElapsed,
                  static_cast<long long>(data.reads), data.callElapsed, static_cast<long long>(data.calls));
    }
  }
  StopClients();
  if (board_.Data().failed > 0 && error.empty()) error = board_.Data().error;
  for (DWORD tag : tags_) RemoveTag(tag);
  UninitVarnOPCsvr();
  if (!measured || !error.empty()) {
    std::printf("error: %s\n", error.c_str());
    return 1;
  }
  return 0;
}

bool RoadServer::Start(std::string& error) {
  std::wstring registrationError;
  if (!HostRegistration::RegisterProxyStub(registrationError)) {
    error = NarrowToUtf8(registrationError);
    return false;
  }
  if (!board_.Create()) {
    error = "cannot make the shared board";
    return false;
  }
  RoadBoardData& data = board_.Data();
  // A class of this run's own: the clients find the running class object,
  // never another process's.
  CoCreateGuid(&data.serverClass);
  data.task = options_.task;
  data.items = options_.items;
  data.rateMs = options_.task == RoadBoardData::kSubscribe ? kServerRateMs : 1000;
  data.readSeconds = options_.seconds;

  BYTE classId[16];
  std::memcpy(classId, &data.serverClass, sizeof classId);
  if (!InitVarnOPCsvr(classId, kServerRateMs)) {
    error = "InitVarnOPCsvr failed";
    return false;
  }
  tags_.reserve(options_.items);
  for (int i = 0; i < options_.items; ++i) {
    std::string name = RoadBoard::ItemName(i);
    const DWORD tag = CreateTag(name.data(), Real(0.0f), kGood, FALSE);
    if (tag == VORLIX_INVALID_TAG) {
      error = "CreateTag failed for " + name;
      return false;
    }
    tags_.push_back(tag);
  }
  return true;
}

bool RoadServer::StartClients(std::string& error) {
  if (options_.clients < 1 || options_.clients > RoadBoardData::kMaxClients) {
    error = "1 to " + std::to_string(RoadBoardData::kMaxClients) + " clients";
    return false;
  }
  wchar_t program[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, program, MAX_PATH);
  for (int index = 0; index < options_.clients; ++index) {
    HANDLE client = nullptr;
    if (options_.outOfProcess) {
      std::wstring line = L"\"" + std::wstring(program) + L"\" client " + board_.Name() + L" " +
                          std::to_wstring(index);
      STARTUPINFOW startup{};
      startup.cb = sizeof startup;
      PROCESS_INFORMATION process{};
      if (CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        CloseHandle(process.hThread);
        client = process.hProcess;
      }
    } else {
      struct Start {
        RoadBoardData* board;
        int index;
      };
      auto* start = new Start{&board_.Data(), index};
      client = CreateThread(
          nullptr, 0,
          [](LPVOID argument) -> DWORD {
            const Start start = *static_cast<Start*>(argument);
            delete static_cast<Start*>(argument);
            if (FAILED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))) return 1;
            const bool done = RoadClient(*start.board, start.index).Run();
            CoUninitialize();
            return done ? 0 : 1;
          },
          start, 0, nullptr);
      if (!client) delete start;
    }
    if (!client) {
      error = "cannot start client " + std::to_string(index) + ": error " + std::to_string(GetLastError());
      return false;
    }
    clients_.push_back(client);
  }
  return true;
}

bool RoadServer::WaitForClients(std::string& error) {
  RoadBoardData& data = board_.Data();
  const ULONGLONG until = GetTickCount64() + kPatienceMs;
  while (data.ready < options_.clients) {
    if (data.failed > 0) return false;
    if (GetTickCount64() > until) {
      error = "the clients were not ready in time";
      return false;
    }
    Sleep(5);
  }
  return true;
}

void RoadServer::MeasureDeliveries() {
  RoadBoardData& data = board_.Data();
  auto delivered = [&] {
    LONG64 items = 0;
    for (int i = 0; i < options_.clients; ++i) items += InterlockedCompareExchange64(&data.delivered[i], 0, 0);
    return items;
  };
  float value = 0.0f;
  auto updateEveryTag = [&] {
    value += 1.0f;
    for (DWORD tag : tags_) UpdateTag(tag, Real(value), kGood);
  };
  const RoadClock warmUp;
  while (warmUp.Seconds() < kWarmUpSeconds) updateEveryTag();
  const LONG64 before = delivered();
  const RoadClock window;
  double elapsed = 0;
  do {
    updateEveryTag();
    elapsed = window.Seconds();
  } while (elapsed < options_.seconds);
  const LONG64 items = delivered() - before;
  std::printf("seconds=%.6f items=%lld\n", elapsed, static_cast<long long>(items));
}

void RoadServer::StopClients() {
  board_.Data().stop = 1;
  for (HANDLE client : clients_) {
    if (WaitForSingleObject(client, kPatienceMs) != WAIT_OBJECT_0) {
      RoadBoard::Fail(board_.Data(), "a client did not end");
      if (options_.outOfProcess) TerminateProcess(client, 1);
    }
    CloseHandle(client);
  }
  clients_.clear();
}
