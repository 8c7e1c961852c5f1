#include "support/DataStreamReader.h"

#include "platform/variant.h"

#include <gtest/gtest.h>

namespace {

// Little-endian fields of a byte stream; reading past the end fails the test and gives 0.
class ByteReader {
 public:
  explicit ByteReader(const std::vector<BYTE>& bytes) : bytes_(bytes) {}

  uint64_t Field(size_t offset, size_t size) const {
    if (offset + size > bytes_.size()) {
      ADD_FAILURE() << "the stream of " << bytes_.size() << " bytes ends before " << offset + size;
      return 0;
    }
    uint64_t value = 0;
    for (size_t i = 0; i < size; ++i) value |= static_cast<uint64_t>(bytes_[offset + i]) << (8 * i);
    return value;
  }
  WORD Word(size_t offset) const { return static_cast<WORD>(Field(offset, 2)); }
  DWORD Dword(size_t offset) const { return static_cast<DWORD>(Field(offset, 4)); }

 private:
  const std::vector<BYTE>& bytes_;
};

}  // namespace

int32_t StreamedItem::Int32() const {
  return static_cast<int32_t>(imageTail[6] | imageTail[7] << 8 | imageTail[8] << 16 | imageTail[9] << 24);
}

DataStream ReadDataStream(const std::vector<BYTE>& bytes, bool withTime) {
  const ByteReader in(bytes);
  DataStream stream{in.Dword(0), in.Dword(4), in.Dword(8), in.Dword(12), in.Dword(16), {}};
  const size_t headerSize = withTime ? 20 : 12;
  for (DWORD i = 0; i < stream.count && 20 + (i + 1) * headerSize <= bytes.size(); ++i) {
    const size_t header = 20 + i * headerSize;
    StreamedItem item{};
    item.clientHandle = in.Dword(header);
    item.valueOffset = in.Dword(header + 4);
    item.quality = in.Word(header + 8);
    item.reserved = in.Word(header + 10);
    if (withTime) item.timestamp = in.Field(header + 12, 8);
    const size_t at = item.valueOffset;
    item.type = in.Word(at);
    for (size_t b = 2; b < 16; ++b) item.imageTail.push_back(static_cast<BYTE>(in.Field(at + b, 1)));
    item.end = at + 16;
    if (item.type == VT_BSTR) {
      item.textBytes = in.Dword(at + 16);
      for (size_t b = 0; b + 1 < item.textBytes; b += 2) item.text.push_back(static_cast<WCHAR>(in.Word(at + 20 + b)));
      item.terminator = in.Word(at + 20 + item.textBytes);
      item.end = at + 20 + item.textBytes + 2;
    }
    stream.items.push_back(item);
  }
  return stream;
}

WriteCompleteStream ReadWriteCompleteStream(const std::vector<BYTE>& bytes) {
  const ByteReader in(bytes);
  WriteCompleteStream stream{in.Dword(0), in.Dword(4), in.Dword(8), in.Dword(12), {}};
  for (DWORD i = 0; i < stream.count && 16 + (i + 1) * 8 <= bytes.size(); ++i) {
    stream.results.emplace_back(in.Dword(16 + i * 8), static_cast<HRESULT>(in.Dword(20 + i * 8)));
  }
  return stream;
}
