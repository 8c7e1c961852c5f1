// The byte streams a Data Access 1.0 client receives through its advise
// sinks, built in blocks of global memory:
// - data streams ("OPCSTMFORMATDATATIME" with timestamps, "OPCSTMFORMATDATA"
//   without): a 20-byte group header (total size, item count, group client
//   handle, transaction id, status 0), one header per item (client handle,
//   value offset, quality, reserved word, and the FILETIME in the with-time
//   form) and the values packed behind them: each a 16-byte VARIANT image, a
//   string followed by its byte length, its UTF-16 text and two zero bytes;
// - the write-complete stream ("OPCSTMFORMATWRITECOMPLETE"): item count,
//   group client handle, transaction id, status 0, then client handle and
//   result of each item.
// Every integer is written little-endian, field by field, whatever the host's
// VARIANT layout; the block is zero-filled, so no byte goes out unwritten.
#pragma once

#include "platform/globalmemory.h"
#include "platform/opcda.h"
#include "platform/variant.h"

#include <cstddef>
#include <vector>

class OPCGroupItem;

class DataStreamBuilder {
 public:
  // One item's entry of a write-complete stream.
  struct WriteOutcome {
    OPCHANDLE clientHandle;
    HRESULT result;
  };

  DataStreamBuilder(OPCHANDLE groupClientHandle, DWORD transactionId);
  ~DataStreamBuilder();
  DataStreamBuilder(const DataStreamBuilder&) = delete;
  DataStreamBuilder& operator=(const DataStreamBuilder&) = delete;

  // Takes the item's value as the streams carry it: its cached read, or an
  // empty value of bad quality when the read fails (no read right: with a
  // zero timestamp too). The caller holds the server lock.
  void Add(const OPCGroupItem& item);
  bool Empty() const { return entries_.empty(); }

  // The data stream of the items added, in the order added; NULL when there
  // is no memory for it (or it would not fit its 32-bit size field).
  HGLOBAL Build(bool withTime) const;

  static HGLOBAL BuildWriteComplete(OPCHANDLE groupClientHandle, DWORD transactionId,
                                    const std::vector<WriteOutcome>& outcomes);

  // The bytes a value takes in a data stream.
  static size_t ValueSize(const VARIANT& value);

 private:
  struct Entry {
    OPCHANDLE clientHandle;
    WORD quality;
    FILETIME timestamp;
    VARIANT value;
  };

  const OPCHANDLE groupClientHandle_;
  const DWORD transactionId_;
  std::vector<Entry> entries_;
};
