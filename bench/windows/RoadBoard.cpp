#include "RoadBoard.h"

#include <cstdio>
#include <cstring>

RoadBoard::~RoadBoard() {
  if (data_) UnmapViewOfFile(data_);
  if (mapping_) CloseHandle(mapping_);
}

bool RoadBoard::Create() {
  name_ = L"Local\\road-bench-board." + std::to_wstring(GetCurrentProcessId());
  HANDLE mapping =
      CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(RoadBoardData), name_.c_str());
  if (!Map(mapping)) return false;
  std::memset(data_, 0, sizeof(RoadBoardData));
  return true;
}

bool RoadBoard::Open(const std::wstring& name) {
  name_ = name;
  return Map(OpenFileMappingW(FILE_MAP_ALL_ACCESS, FALSE, name.c_str()));
}

bool RoadBoard::Map(HANDLE mapping) {
  if (!mapping) return false;
  mapping_ = mapping;
  data_ = static_cast<RoadBoardData*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(RoadBoardData)));
  return data_ != nullptr;
}

std::string RoadBoard::ItemName(int index) {
  char name[32];
  std::snprintf(name, sizeof name, "Road.Item%05d", index);
  return name;
}

void RoadBoard::Fail(RoadBoardData& data, const std::string& text) {
  if (InterlockedIncrement(&data.failed) == 1) {
    std::snprintf(data.error, sizeof data.error, "%s", text.c_str());
  }
}
