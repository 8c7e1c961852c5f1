// IEnumOPCItemAttributes over copies of a group's items as they were when it
// was made; it takes no lock afterwards.
#pragma once

#include "com/SnapshotEnumerator.h"
#include "da/group/OPCGroupItem.h"

#include "platform/IEnumOPCItemAttributes.h"

#include <memory>
#include <vector>

class IOPCItemEnumerator final : public SnapshotEnumerator<IEnumOPCItemAttributes, std::unique_ptr<OPCGroupItem>> {
 public:
  explicit IOPCItemEnumerator(std::vector<std::unique_ptr<OPCGroupItem>> items, ULONG position = 0);

  // Hands out one task-memory array of the elements (NULL when none is
  // handed out), each with its strings in task memory. An empty snapshot
  // answers S_FALSE before the arguments are looked at; E_OUTOFMEMORY,
  // nothing handed out and the position kept, when the memory cannot be had.
  HRESULT Next(ULONG celt, OPCITEMATTRIBUTES** ppItemArray, ULONG* pceltFetched) override;

 private:
  ~IOPCItemEnumerator() override = default;
  SnapshotEnumerator* MakeClone(ULONG position) const override;
};
