#include "tags/TagHashIndex.h"

#include <algorithm>
#include <array>
#include <cassert>
#include <cstdlib>

namespace {

// Eight tables, so that the CRC takes eight bytes a step: table k gives the
// CRC of a byte followed by k zero bytes. The result is that of the byte-wise
// table-driven CRC.
using CrcTables = std::array<std::array<DWORD, 256>, 8>;

CrcTables MakeCrcTables() {
  CrcTables tables{};
  for (DWORD n = 0; n < 256; ++n) {
    DWORD c = n;
    for (int bit = 0; bit < 8; ++bit) c = (c & 1) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    tables[0][n] = c;
  }
  for (DWORD n = 0; n < 256; ++n) {
    for (size_t k = 1; k < tables.size(); ++k) {
      tables[k][n] = tables[0][tables[k - 1][n] & 0xFF] ^ (tables[k - 1][n] >> 8);
    }
  }
  return tables;
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
// A record notes its slot in 31 bits.
constexpr uint64_t kLargestTable = 0x7FFFFFFFu;

}  // namespace

TagHashIndex::~TagHashIndex() { std::free(table_); }

UINT TagHashIndex::TableSizeFor(UINT request) {
  if (request < kSmallestRequest) return 0;
  for (uint64_t candidate = std::max<uint64_t>(request, kSmallestSize); candidate <= kLargestSize; ++candidate) {
    if (IsPrime(candidate)) return static_cast<UINT>(candidate);
  }
  return 0;
}

DWORD TagHashIndex::ContinueHash(DWORD hash, std::string_view more) {
  static const CrcTables t = MakeCrcTables();
  DWORD crc = hash;
  const auto* bytes = reinterpret_cast<const unsigned char*>(more.data());
  size_t left = more.size();
  for (; left >= 8; left -= 8, bytes += 8) {
    const DWORD low = crc ^ (DWORD{bytes[0]} | DWORD{bytes[1]} << 8 | DWORD{bytes[2]} << 16 | DWORD{bytes[3]} << 24);
    crc = t[7][low & 0xFF] ^ t[6][(low >> 8) & 0xFF] ^ t[5][(low >> 16) & 0xFF] ^ t[4][low >> 24] ^ t[3][bytes[4]] ^
          t[2][bytes[5]] ^ t[1][bytes[6]] ^ t[0][bytes[7]];
  }
  for (; left > 0; --left, ++bytes) crc = t[0][(crc ^ *bytes) & 0xFF] ^ (crc >> 8);
  return crc;
}

UINT TagHashIndex::Reset(UINT request) {
  std::free(table_);
  table_ = nullptr;
  size_ = 0;
  const UINT size = TableSizeFor(request);
  if (size == 0 || size > kLargestTable) return 0;
  // calloc rather than a vector: a large table's pages stay untouched until used.
  table_ = static_cast<Entry*>(std::calloc(size, sizeof(Entry)));
  if (table_ == nullptr) return 0;
  size_ = size;
  return size;
}

void TagHashIndex::Store(int64_t slot, DWORD hash, OPCTag* record) {
  assert(table_[slot].record == nullptr);
  table_[slot] = Entry{record, hash};
}

int64_t TagHashIndex::EnterByHash(DWORD hash, OPCTag* record) {
  const Probe probe = FindByHash(hash, [](const OPCTag&) { return false; });
  if (probe.freeSlot >= 0) table_[probe.freeSlot] = Entry{record, probe.hash};
  return probe.freeSlot;
}

void TagHashIndex::Vacate(int64_t slot) { table_[slot] = Entry{nullptr, kVacated}; }
