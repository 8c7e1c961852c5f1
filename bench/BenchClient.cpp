#include "BenchClient.h"

#include "Vorlix.h"

#include <cstdlib>

namespace {
constexpr UINT kServerRate = 10;
}  // namespace

void StartBenchServer() {
  static const bool started = [] {
    CLSID classId = kTestServerClassId;
    return InitVarnOPCsvr(reinterpret_cast<BYTE*>(&classId), kServerRate) != FALSE;
  }();
  if (!started) std::abort();
}

std::vector<TestItem> BenchItems(const std::vector<std::string>& names) {
  std::vector<TestItem> items;
  items.reserve(names.size());
  for (size_t i = 0; i < names.size(); ++i) items.push_back({names[i], "", static_cast<OPCHANDLE>(i)});
  return items;
}

BenchClient::BenchClient(const std::vector<std::string>& names, DWORD rate, bool advise) {
  client_.Connect();
  OpcTestGroup::Options options;
  options.rate = rate;
  group_ = std::make_unique<OpcTestGroup>(client_.OpcServer(), nullptr, options);
  group_->AddItems(BenchItems(names));
  if (advise) point_ = group_->AdviseDataCallback(&sink);
}

BenchClient::~BenchClient() {
  if (point_ != nullptr) {
    point_->Unadvise(1);
    point_->Release();
  }
  client_.OpcServer()->RemoveGroup(group_->ServerHandle(), TRUE);
  group_.reset();
}
