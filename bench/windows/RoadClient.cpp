#include "RoadClient.h"

#include "ClientGroup.h"
#include "CountingCallback.h"
#include "OpcSession.h"
#include "RoadClock.h"

#include <string>
#include <vector>

namespace {
// Calls before the timing starts, so that the first calls' set-up is not counted.
constexpr int kWarmUpCalls = 20;
}  // namespace

bool RoadClient::Run() {
  OpcSession session;
  ClientFailure failure = session.Connect(board_.serverClass);
  if (Failed(session, failure)) return false;
  {
    ClientGroup group(session.Server());
    const DWORD rate = static_cast<DWORD>(board_.rateMs);
    failure = group.Add({true, rate, 0});
    if (!failure.Failed()) {
      std::vector<std::wstring> items;
      items.reserve(board_.items);
      for (int i = 0; i < board_.items; ++i) {
        const std::string name = RoadBoard::ItemName(i);
        items.emplace_back(name.begin(), name.end());
      }
      failure = group.AddItems(items);
    }
    if (!failure.Failed()) failure = board_.task == RoadBoardData::kRead ? TimeReads(group, session.Server()) : Subscribe(group);
    if (Failed(session, failure)) return false;
  }
  session.Disconnect();
  return true;
}

ClientFailure RoadClient::Subscribe(ClientGroup& group) {
  ComPtr<IConnectionPointContainer> container = group.Query<IConnectionPointContainer>(IID_IConnectionPointContainer);
  if (!container) return ClientFailure::Of("IConnectionPointContainer", E_NOINTERFACE);
  ComPtr<IConnectionPoint> point;
  HRESULT result = container->FindConnectionPoint(IID_IOPCDataCallback, point.GetAddressOf());
  if (FAILED(result)) return ClientFailure::Of("IConnectionPointContainer::FindConnectionPoint", result);
  auto* sink = new CountingCallback(&board_.delivered[index_]);
  DWORD cookie = 0;
  result = point->Advise(sink, &cookie);
  sink->Release();
  if (FAILED(result)) return ClientFailure::Of("IConnectionPoint::Advise", result);
  board_.ready.fetch_add(1);
  // Until the server says stop, or its process has gone without saying so.
  HANDLE server = OpenProcess(SYNCHRONIZE, FALSE, board_.serverProcessId);
  if (!server) {
    point->Unadvise(cookie);
    return ClientFailure::Of("OpenProcess(server)", HRESULT_FROM_WIN32(GetLastError()));
  }
  while (!board_.stop.load() && WaitForSingleObject(server, 5) != WAIT_OBJECT_0) {
  }
  CloseHandle(server);
  point->Unadvise(cookie);
  return ClientFailure::None();
}

ClientFailure RoadClient::TimeReads(ClientGroup& group, IOPCServer* server) {
  ComPtr<IOPCSyncIO> io = group.Query<IOPCSyncIO>(IID_IOPCSyncIO);
  if (!io) return ClientFailure::Of("IOPCSyncIO", E_NOINTERFACE);
  std::vector<OPCHANDLE> handles = group.ServerHandles();
  const DWORD count = static_cast<DWORD>(handles.size());
  auto readOnce = [&]() -> HRESULT {
    OPCITEMSTATE* states = nullptr;
    HRESULT* errors = nullptr;
    const HRESULT result = io->Read(OPC_DS_CACHE, count, handles.data(), &states, &errors);
    if (states) {
      for (DWORD i = 0; i < count; ++i) VariantClear(&states[i].vDataValue);
    }
    CoTaskMemFree(states);
    CoTaskMemFree(errors);
    return result;
  };
  ComPtr<IOPCCommon> common;
  server->QueryInterface(IID_IOPCCommon, reinterpret_cast<void**>(common.GetAddressOf()));
  if (!common) return ClientFailure::Of("IOPCCommon", E_NOINTERFACE);
  auto callOnce = [&]() -> HRESULT {
    LCID locale = 0;
    return common->GetLocaleID(&locale);
  };
  // Times `call` for the board's read time, after a few untimed calls.
  auto time = [&](const char* name, auto call, double& elapsed, LONG64& calls) {
    for (int i = 0; i < kWarmUpCalls; ++i) {
      const HRESULT result = call();
      if (result != S_OK) return ClientFailure::Of(name, result);
    }
    const RoadClock clock;
    calls = 0;
    do {
      const HRESULT result = call();
      if (result != S_OK) return ClientFailure::Of(name, result);
      ++calls;
      elapsed = clock.Seconds();
    } while (elapsed < board_.readSeconds);
    return ClientFailure::None();
  };
  ClientFailure failure = time("IOPCSyncIO::Read", readOnce, board_.readElapsed, board_.reads);
  if (!failure.Failed()) failure = time("IOPCCommon::GetLocaleID", callOnce, board_.callElapsed, board_.calls);
  if (failure.Failed()) return failure;
  board_.ready.fetch_add(1);
  return ClientFailure::None();
}

bool RoadClient::Failed(const OpcSession& session, const ClientFailure& failure) {
  if (!failure.Failed()) return false;
  RoadBoard::Fail(board_, "client " + std::to_string(index_) + ": " + session.Describe(failure));
  return true;
}
