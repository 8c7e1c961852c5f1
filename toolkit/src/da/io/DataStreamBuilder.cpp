#include "da/io/DataStreamBuilder.h"

#include "da/group/OPCGroupItem.h"

#include "platform/bstr.h"

#include <cstdint>
#include <cstring>
#include <limits>

namespace {

constexpr size_t kGroupHeaderSize = 20;
constexpr size_t kItemHeaderWithTimeSize = 20;
constexpr size_t kItemHeaderSize = 12;
constexpr size_t kVariantImageSize = 16;
constexpr size_t kWriteCompleteHeaderSize = 16;
constexpr size_t kWriteOutcomeSize = 8;

// Writes little-endian fields into a zero-filled block, front to back.
class StreamWriter {
 public:
  explicit StreamWriter(BYTE* block) : at_(block) {}

  void Word(WORD value) { Bytes(value, sizeof value); }
  void Dword(DWORD value) { Bytes(value, sizeof value); }
  void Skip(size_t bytes) { at_ += bytes; }
  // The low `size` bytes of `value`, least significant first.
  void Bytes(uint64_t value, size_t size) {
    for (size_t i = 0; i < size; ++i) *at_++ = static_cast<BYTE>(value >> (8 * i));
  }

 private:
  BYTE* at_;
};

// The value's 16-byte image, and a string's length, text and terminator behind it.
void WriteValue(StreamWriter& out, const VARIANT& value) {
  out.Word(value.vt);
  out.Skip(3 * sizeof(WORD));
  // Pointers (strings, arrays, references, interfaces) mean nothing to the
  // client and are left zero.
  const size_t used = VariantScalarSize(value.vt);
  out.Bytes(value.ullVal, used);
  out.Skip(8 - used);
  if (value.vt != VT_BSTR) return;
  const UINT length = SysStringByteLen(value.bstrVal);
  out.Dword(length);
  const BYTE* text = reinterpret_cast<const BYTE*>(value.bstrVal);
  for (UINT i = 0; i + 1 < length; i += 2) out.Word(static_cast<WORD>(value.bstrVal[i / 2]));
  // A string of an odd byte length ends in a lone byte.
  if (length % 2 != 0) out.Bytes(text[length - 1], 1);
  out.Skip(sizeof(WCHAR));
}

// A zero-filled fixed block of `size` bytes, or NULL.
HGLOBAL AllocStream(size_t size) {
  if (size > std::numeric_limits<DWORD>::max()) return nullptr;
  return GlobalAlloc(GPTR, size);
}

}  // namespace

DataStreamBuilder::DataStreamBuilder(OPCHANDLE groupClientHandle, DWORD transactionId)
    : groupClientHandle_(groupClientHandle), transactionId_(transactionId) {}

DataStreamBuilder::~DataStreamBuilder() {
  for (Entry& entry : entries_) VariantClear(&entry.value);
}

void DataStreamBuilder::Add(const OPCGroupItem& item) {
  Entry entry{item.clientHandle, OPC_QUALITY_BAD, {0, 0}, {}};
  VariantInit(&entry.value);
  if (FAILED(item.ReadCached(&entry.value, &entry.quality, &entry.timestamp))) {
    VariantClear(&entry.value);
    entry.quality = OPC_QUALITY_BAD;
  }
  entries_.push_back(entry);
}

size_t DataStreamBuilder::ValueSize(const VARIANT& value) {
  if (value.vt != VT_BSTR) return kVariantImageSize;
  return kVariantImageSize + sizeof(DWORD) + SysStringByteLen(value.bstrVal) + sizeof(WCHAR);
}

HGLOBAL DataStreamBuilder::Build(bool withTime) const {
  const size_t headerSize = withTime ? kItemHeaderWithTimeSize : kItemHeaderSize;
  size_t total = kGroupHeaderSize + entries_.size() * headerSize;
  for (const Entry& entry : entries_) total += ValueSize(entry.value);
  const HGLOBAL block = AllocStream(total);
  if (block == nullptr) return nullptr;
  BYTE* const base = static_cast<BYTE*>(GlobalLock(block));

  StreamWriter header(base);
  header.Dword(static_cast<DWORD>(total));
  header.Dword(static_cast<DWORD>(entries_.size()));
  header.Dword(groupClientHandle_);
  header.Dword(transactionId_);
  header.Dword(0);
  size_t valueOffset = kGroupHeaderSize + entries_.size() * headerSize;
  for (const Entry& entry : entries_) {
    header.Dword(entry.clientHandle);
    header.Dword(static_cast<DWORD>(valueOffset));
    header.Word(entry.quality);
    header.Word(0);
    if (withTime) {
      header.Dword(entry.timestamp.dwLowDateTime);
      header.Dword(entry.timestamp.dwHighDateTime);
    }
    StreamWriter value(base + valueOffset);
    WriteValue(value, entry.value);
    valueOffset += ValueSize(entry.value);
  }
  GlobalUnlock(block);
  return block;
}

HGLOBAL DataStreamBuilder::BuildWriteComplete(OPCHANDLE groupClientHandle, DWORD transactionId,
                                              const std::vector<WriteOutcome>& outcomes) {
  const HGLOBAL block = AllocStream(kWriteCompleteHeaderSize + outcomes.size() * kWriteOutcomeSize);
  if (block == nullptr) return nullptr;
  StreamWriter out(static_cast<BYTE*>(GlobalLock(block)));
  out.Dword(static_cast<DWORD>(outcomes.size()));
  out.Dword(groupClientHandle);
  out.Dword(transactionId);
  out.Dword(0);
  for (const WriteOutcome& outcome : outcomes) {
    out.Dword(outcome.clientHandle);
    out.Dword(static_cast<DWORD>(outcome.result));
  }
  GlobalUnlock(block);
  return block;
}
