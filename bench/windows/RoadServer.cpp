#include "RoadServer.h"

#include "ProgramFolder.h"
#include "ProxyStubRegistration.h"
#include "RoadClient.h"
#include "RoadClock.h"
#include "ValueFormat.h"
#include "Vorlix.h"

#include <cstdio>
#include <cstring>

namespace {

// Longest wait for the clients to connect and subscribe, and, once told to
// stop, for all of them to end.
constexpr DWORD kPatienceMs = 60000;
// The updates before the measured window, so that every group delivers.
constexpr double kWarmUpSeconds = 0.5;

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
  const bool ready = Start(error) && StartClients(error) && WaitForClients(error);
  if (ready) {
    if (options_.task == RoadBoardData::kSubscribe) {
      MeasureDeliveries(error);
    } else {
      const RoadBoardData& data = board_.Data();
      std::printf("seconds=%.6f reads=%lld call_seconds=%.6f calls=%lld\n", data.readElapsed,
                  static_cast<long long>(data.reads), data.callElapsed, static_cast<long long>(data.calls));
    }
  }
  StopClients();
  if (error.empty()) error = RoadBoard::FirstError(board_.Data());
  for (DWORD tag : tags_) RemoveTag(tag);
  UninitVarnOPCsvr();
  if (!ready || !error.empty()) {
    std::printf("error: %s\n", error.empty() ? "a client failed" : error.c_str());
    return 1;
  }
  return 0;
}

bool RoadServer::Start(std::string& error) {
  const HRESULT registered = ProxyStubRegistration::Register();
  if (FAILED(registered)) {
    error = "OpcProxyStub.dll: DllRegisterServer failed: " + ValueFormat::Hresult(registered);
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
    const DWORD tag = CreateTag(name.data(), Real(0.0f), OPC_QUALITY_GOOD, FALSE);
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
  const std::wstring program = ProgramFolder::ProgramPath();
  for (int index = 0; index < options_.clients; ++index) {
    HANDLE client = nullptr;
    if (options_.outOfProcess) {
      std::wstring line = L"\"" + program + L"\" client " + board_.Name() + L" " +
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
      if (!client) {
        const DWORD lastError = GetLastError();
        delete start;
        SetLastError(lastError);
      }
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
  while (data.ready.load() < options_.clients) {
    if (data.failed.load() > 0) return false;
    // A reading client ends once it has reported; one that ended before it
    // was ready says why on the board, or crashed: the run is over then.
    const DWORD ended = WaitForMultipleObjects(static_cast<DWORD>(clients_.size()), clients_.data(), FALSE, 5);
    if (ended < WAIT_OBJECT_0 + clients_.size()) {
      if (data.ready.load() >= options_.clients) break;
      if (data.failed.load() == 0) {
        error = "client " + std::to_string(ended - WAIT_OBJECT_0) + " ended before it was ready";
      }
      return false;
    }
    if (GetTickCount64() > until) {
      error = "the clients were not ready in time";
      return false;
    }
  }
  return true;
}

void RoadServer::MeasureDeliveries(std::string& error) {
  RoadBoardData& data = board_.Data();
  auto delivered = [&] {
    LONG64 items = 0;
    for (int i = 0; i < options_.clients; ++i) items += data.delivered[i].load();
    return items;
  };
  float value = 0.0f;
  bool updated = true;
  auto updateEveryTag = [&] {
    value += 1.0f;
    for (DWORD tag : tags_) updated = UpdateTag(tag, Real(value), OPC_QUALITY_GOOD) && updated;
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
  if (!updated) {
    error = "UpdateTag failed";
  } else if (items == 0) {
    error = "no item reached the clients";
  } else {
    std::printf("seconds=%.6f items=%lld\n", elapsed, static_cast<long long>(items));
  }
}

void RoadServer::StopClients() {
  RoadBoardData& data = board_.Data();
  data.stop.store(1);
  const ULONGLONG until = GetTickCount64() + kPatienceMs;
  for (size_t index = 0; index < clients_.size(); ++index) {
    const ULONGLONG now = GetTickCount64();
    const DWORD left = now < until ? static_cast<DWORD>(until - now) : 0;
    DWORD exitCode = 1;
    if (WaitForSingleObject(clients_[index], left) != WAIT_OBJECT_0) {
      if (!options_.outOfProcess) {
        // A client thread still uses the board and the server: nothing can
        // be taken down under it, so the process ends here.
        std::printf("error: client %zu did not end\n", index);
        std::fflush(stdout);
        ExitProcess(1);
      }
      RoadBoard::Fail(data, "client " + std::to_string(index) + " did not end");
      TerminateProcess(clients_[index], 1);
    } else if ((options_.outOfProcess ? GetExitCodeProcess(clients_[index], &exitCode)
                                      : GetExitCodeThread(clients_[index], &exitCode)) &&
               exitCode != 0) {
      RoadBoard::Fail(data, "client " + std::to_string(index) + " ended with exit code " + std::to_string(exitCode));
    }
    CloseHandle(clients_[index]);
  }
  clients_.clear();
}
