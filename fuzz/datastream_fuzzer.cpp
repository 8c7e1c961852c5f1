// The data and write-complete streams of Data Access 1.0 advise sinks against
// a reader written here from the stream layout: for any set of items (any
// types, strings of odd byte lengths, requested types, rights), the block's
// size, the item count and every header field and value offset must agree
// with what the reader finds, each value must end where the next begins, and
// the last at the block's end.
#include "FuzzCheck.h"

#include "da/group/OPCGroupItem.h"
#include "da/io/DataStreamBuilder.h"

#include "platform/bstr.h"
#include "platform/globalmemory.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr size_t kMaxItems = 16;
const VARTYPE kValueTypes[] = {VT_EMPTY, VT_NULL, VT_I1, VT_UI1, VT_I2, VT_UI2, VT_I4, VT_UI4, VT_INT, VT_UINT,
                               VT_I8, VT_UI8, VT_R4, VT_R8, VT_CY, VT_DATE, VT_BOOL, VT_ERROR, VT_BSTR};
const VARTYPE kRequestedTypes[] = {VT_EMPTY, VT_I2, VT_I4, VT_R4, VT_R8, VT_BSTR, VT_BOOL, VT_UI1, VT_CY, VT_DATE};

// Reads little-endian fields front to back, never past the block's end.
class StreamReader {
 public:
  StreamReader(const BYTE* block, size_t size, size_t at) : block_(block), size_(size), at_(at) {}
  uint64_t Read(size_t bytes) {
    FUZZ_CHECK(at_ + bytes <= size_);
    uint64_t value = 0;
    for (size_t i = 0; i < bytes; ++i) value |= static_cast<uint64_t>(block_[at_ + i]) << (8 * i);
    at_ += bytes;
    return value;
  }
  DWORD Dword() { return static_cast<DWORD>(Read(4)); }
  WORD Word() { return static_cast<WORD>(Read(2)); }
  size_t At() const { return at_; }

 private:
  const BYTE* block_;
  size_t size_;
  size_t at_;
};

// The bytes a scalar of the type takes in its 8-byte value field.
size_t ScalarBytes(VARTYPE vt) {
  switch (vt) {
    case VT_I1: case VT_UI1: return 1;
    case VT_I2: case VT_UI2: case VT_BOOL: return 2;
    case VT_I4: case VT_UI4: case VT_INT: case VT_UINT: case VT_R4: case VT_ERROR: return 4;
    case VT_I8: case VT_UI8: case VT_R8: case VT_CY: case VT_DATE: return 8;
    default: return 0;
  }
}

// Reads one value at `offset` and checks it against what the item reads; the
// offset behind it.
size_t ReadValue(const BYTE* block, size_t size, size_t offset, const VARIANT& expected) {
  StreamReader value(block, size, offset);
  FUZZ_CHECK(value.Word() == expected.vt);
  FUZZ_CHECK(value.Read(6) == 0);
  const size_t used = ScalarBytes(expected.vt);
  const uint64_t field = value.Read(8);
  const uint64_t mask = used == 8 ? ~0ull : (1ull << (8 * used)) - 1;
  FUZZ_CHECK((field & ~mask) == 0);
  FUZZ_CHECK(field == (expected.ullVal & mask));
  if (expected.vt == VT_BSTR) {
    const UINT length = SysStringByteLen(expected.bstrVal);
    FUZZ_CHECK(value.Dword() == length);
    const BYTE* text = reinterpret_cast<const BYTE*>(expected.bstrVal);
    for (UINT i = 0; i < length; ++i) FUZZ_CHECK(value.Read(1) == text[i]);
    FUZZ_CHECK(value.Word() == 0);
  }
  return value.At();
}

std::unique_ptr<OPCGroupItem> MakeItem(FuzzedDataProvider& input) {
  auto item = std::make_unique<OPCGroupItem>();
  item->clientHandle = input.ConsumeIntegral<OPCHANDLE>();
  item->quality = input.ConsumeIntegral<WORD>();
  item->timestamp = {input.ConsumeIntegral<DWORD>(), input.ConsumeIntegral<DWORD>()};
  item->accessRights = input.ConsumeBool() ? OPC_READABLE : 0;
  item->requestedType = input.ConsumeBool() ? input.PickValueInArray(kRequestedTypes) : VT_EMPTY;
  const VARTYPE vt = input.PickValueInArray(kValueTypes);
  if (vt == VT_BSTR) {
    // Any byte length, odd ones included.
    const std::string text = input.ConsumeRandomLengthString(40);
    item->value.vt = VT_BSTR;
    item->value.bstrVal = SysAllocStringByteLen(text.data(), static_cast<UINT>(text.size()));
  } else {
    item->value.vt = vt;
    item->value.ullVal = input.ConsumeIntegral<uint64_t>();
    if (vt == VT_EMPTY || vt == VT_NULL) item->value.ullVal = 0;
  }
  return item;
}

void CheckDataStream(const std::vector<std::unique_ptr<OPCGroupItem>>& items, OPCHANDLE group, DWORD transaction,
                     bool withTime) {
  DataStreamBuilder builder(group, transaction);
  for (const auto& item : items) builder.Add(*item);
  const HGLOBAL stream = builder.Build(withTime);
  FUZZ_CHECK(stream != nullptr);
  const size_t size = GlobalSize(stream);
  const BYTE* block = static_cast<const BYTE*>(GlobalLock(stream));

  StreamReader header(block, size, 0);
  FUZZ_CHECK(header.Dword() == size);
  FUZZ_CHECK(header.Dword() == items.size());
  FUZZ_CHECK(header.Dword() == group);
  FUZZ_CHECK(header.Dword() == transaction);
  FUZZ_CHECK(header.Dword() == 0);
  size_t next = 20 + items.size() * (withTime ? 20 : 12);
  for (const auto& item : items) {
    VARIANT expected;
    VariantInit(&expected);
    WORD quality = OPC_QUALITY_BAD;
    FILETIME timestamp = {0, 0};
    if (FAILED(item->ReadCached(&expected, &quality, &timestamp))) {
      VariantClear(&expected);
      quality = OPC_QUALITY_BAD;
    }
    FUZZ_CHECK(header.Dword() == item->clientHandle);
    const DWORD offset = header.Dword();
    FUZZ_CHECK(offset == next);
    FUZZ_CHECK(header.Word() == quality);
    FUZZ_CHECK(header.Word() == 0);
    if (withTime) {
      FUZZ_CHECK(header.Dword() == timestamp.dwLowDateTime);
      FUZZ_CHECK(header.Dword() == timestamp.dwHighDateTime);
    }
    next = ReadValue(block, size, offset, expected);
    FUZZ_CHECK(next - offset == DataStreamBuilder::ValueSize(expected));
    if ((item->accessRights & OPC_READABLE) != 0) FUZZ_CHECK(next - offset == item->ValueStreamSize());
    VariantClear(&expected);
  }
  FUZZ_CHECK(next == size);
  GlobalUnlock(stream);
  GlobalFree(stream);
}

void CheckWriteComplete(FuzzedDataProvider& input, OPCHANDLE group, DWORD transaction) {
  std::vector<DataStreamBuilder::WriteOutcome> outcomes(input.ConsumeIntegralInRange<size_t>(0, kMaxItems));
  for (auto& outcome : outcomes) outcome = {input.ConsumeIntegral<OPCHANDLE>(), input.ConsumeIntegral<HRESULT>()};
  const HGLOBAL stream = DataStreamBuilder::BuildWriteComplete(group, transaction, outcomes);
  FUZZ_CHECK(stream != nullptr);
  const size_t size = GlobalSize(stream);
  StreamReader reader(static_cast<const BYTE*>(GlobalLock(stream)), size, 0);
  FUZZ_CHECK(reader.Dword() == outcomes.size());
  FUZZ_CHECK(reader.Dword() == group);
  FUZZ_CHECK(reader.Dword() == transaction);
  FUZZ_CHECK(reader.Dword() == 0);
  for (const auto& outcome : outcomes) {
    FUZZ_CHECK(reader.Dword() == outcome.clientHandle);
    FUZZ_CHECK(reader.Dword() == static_cast<DWORD>(outcome.result));
  }
  FUZZ_CHECK(reader.At() == size);
  GlobalUnlock(stream);
  GlobalFree(stream);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  const OPCHANDLE group = input.ConsumeIntegral<OPCHANDLE>();
  const DWORD transaction = input.ConsumeIntegral<DWORD>();
  const bool withTime = input.ConsumeBool();
  CheckWriteComplete(input, group, transaction);
  std::vector<std::unique_ptr<OPCGroupItem>> items;
  while (items.size() < kMaxItems && input.remaining_bytes() > 0) items.push_back(MakeItem(input));
  CheckDataStream(items, group, transaction, withTime);
  return 0;
}
