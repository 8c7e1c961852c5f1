#include "tags/TagHashIndex.h"

#include <algorithm>
#include <array>
#include <cassert>
#include <cstdlib>

namespace {

std::array<DWORD, 256> MakeCrcTable() {
  std::array<DWORD, 256> table{};
  for (DWORD n = 0; n < 256; ++n) {
    DWORD c = n;
    for (int bit = 0; bit < 8; ++bit) c = (c & 1) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    table[n] = c;
  }
  return table;
}

bool IsPrime(uint64_t n) {
  if (n < 2) return false;
  if (n % 2 == 0) return n == 2;
  if (n % 3 == 0) return n == 3;
  for (uint64_t d = 5; d * d <= n; d += 6) {
    if (n % d == 0 || n % (d + 2) == 0) return false;
  }
  return true;
}

constexpr UINT kSmallestRequest = 6;
constexpr uint64_t kSmallestSize = 11;
constexpr uint64_t kLargestSize = 0xFFFFFFFFu;

}  // namespace

TagHashIndex::~TagHashIndex() { std::free(table_); }

UINT TagHashIndex::TableSizeFor(UINT request) {
  if (request < kSmallestRequest) return 0;
  for (uint64_t candidate = std::max<uint64_t>(request, kSmallestSize); candidate <= kLargestSize; ++candidate) {
    if (IsPrime(candidate)) return static_cast<UINT>(candidate);
  }
  return 0;
}

DWORD TagHashIndex::Hash(const std::string& key) {
  static const std::array<DWORD, 256> table = MakeCrcTable();
  DWORD crc = 0xFFFFFFFFu;
  for (unsigned char c : key) crc = table[(crc ^ c) & 0xFF] ^ (crc >> 8);
  return crc;
}

UINT TagHashIndex::Reset(UINT request) {
  std::free(table_);
  table_ = nullptr;
  size_ = 0;
  const UINT size = TableSizeFor(request);
  if (size == 0) return 0;
  // calloc rather than a vector: a large table's pages stay untouched until used.
  table_ = static_cast<Entry*>(std::calloc(size, sizeof(Entry)));
  if (table_ == nullptr) return 0;
  size_ = size;
  return size;
}

void TagHashIndex::Store(int64_t slot, const std::string& key, OPCTag* record) {
  assert(table_[slot].record == nullptr);
  table_[slot] = Entry{record, Hash(key), 0};
}

int64_t TagHashIndex::Enter(const std::string& key, OPCTag* record) {
  const Probe probe = Find(key, [](const OPCTag&) { return false; });
  if (probe.freeSlot >= 0) table_[probe.freeSlot] = Entry{record, probe.hash, 0};
  return probe.freeSlot;
}

void TagHashIndex::Vacate(int64_t slot) { table_[slot] = Entry{nullptr, 0, 1}; }
