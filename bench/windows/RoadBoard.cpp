#include "RoadBoard.h"

#include <cstdio>
#include <new>

static_assert(std::atomic<LONG64>::is_always_lock_free, "the board's counters must work across processes");

RoadBoard::~RoadBoard() {
  if (data_) UnmapViewOfFile(data_);
  if (mapping_) CloseHandle(mapping_);
}

bool RoadBoard::Create() {
  name_ = L"Local\\road-bench-board." + std::to_wstring(GetCurrentProcessId());
  void* view = Map(
      CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(RoadBoardData), name_.c_str()));
  if (!view) return false;
  data_ = new (view) RoadBoardData();
  data_->serverProcessId = GetCurrentProcessId();
  return true;
}

bool RoadBoard::Open(const std::wstring& name) {
  name_ = name;
  data_ = static_cast<RoadBoardData*>(Map(OpenFileMappingW(FILE_MAP_ALL_ACCESS, FALSE, name.c_str())));
  return data_ != nullptr;
}

void* RoadBoard::Map(HANDLE mapping) {
  if (!mapping) return nullptr;
  mapping_ = mapping;
  return MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(RoadBoardData));
}

std::string RoadBoard::ItemName(int index) {
  char name[32];
  std::snprintf(name, sizeof name, "Road.Item%05d", index);
  return name;
}

void RoadBoard::Fail(RoadBoardData& data, const std::string& text) {
  if (data.failed.fetch_add(1) == 0) {
    std::snprintf(data.error, sizeof data.error, "%s", text.c_str());
    data.errorWritten.store(1, std::memory_order_release);
  }
}

std::string RoadBoard::FirstError(const RoadBoardData& data) {
  return data.errorWritten.load(std::memory_order_acquire) ? std::string(data.error) : std::string();
}
