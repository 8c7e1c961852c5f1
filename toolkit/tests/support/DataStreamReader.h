// Reads the streams of a Data Access 1.0 group back from their bytes, as a
// client of that interface does: little-endian fields at their offsets, each
// value found through the offset in its item header. A stream that ends
// before a field it names fails the test.
#pragma once

#include "platform/opcda.h"
#include "platform/widetext.h"

#include <cstdint>
#include <string>
#include <vector>

struct StreamedItem {
  OPCHANDLE clientHandle;
  DWORD valueOffset;
  WORD quality;
  WORD reserved;
  // 100-ns ticks; only in the with-time form.
  uint64_t timestamp;
  VARTYPE type;
  // The three reserved words and the 8 value bytes of the VARIANT image.
  std::vector<BYTE> imageTail;
  // A string's byte length and text, and the two bytes behind the text.
  DWORD textBytes;
  WideString text;
  WORD terminator;
  // Where the value ends.
  size_t end;

  int32_t Int32() const;
};

struct DataStream {
  DWORD totalSize;
  DWORD count;
  OPCHANDLE groupClientHandle;
  DWORD transactionId;
  DWORD status;
  std::vector<StreamedItem> items;
};

struct WriteCompleteStream {
  DWORD count;
  OPCHANDLE groupClientHandle;
  DWORD transactionId;
  DWORD status;
  std::vector<std::pair<OPCHANDLE, HRESULT>> results;
};

DataStream ReadDataStream(const std::vector<BYTE>& bytes, bool withTime);
WriteCompleteStream ReadWriteCompleteStream(const std::vector<BYTE>& bytes);
