// IEnumString over a list of 8-bit texts (group names, browse results) as they
// were when it was made. Each text handed out is a wide copy from the task
// allocator that the caller frees.
#pragma once

#include "SnapshotEnumerator.h"

#include "platform/IEnumString.h"

#include <string>
#include <vector>

class IOPCEnumString final : public SnapshotEnumerator<IEnumString, std::string> {
 public:
  explicit IOPCEnumString(std::vector<std::string> texts);

  // E_OUTOFMEMORY, nothing handed out and the position kept, when a copy
  // cannot be had.
  HRESULT Next(ULONG celt, LPOLESTR* rgelt, ULONG* pceltFetched) override;

 private:
  ~IOPCEnumString() override = default;
  SnapshotEnumerator* MakeClone() const override;
};
