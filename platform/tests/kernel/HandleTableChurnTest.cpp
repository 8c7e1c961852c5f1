// The handle table under many handles coming and going: entries moved back
// when a neighbour leaves, the table growing and shrinking, and several kinds
// in one table. Every listed handle must keep finding its object, and no
// unlisted or foreign one may find anything.
#include "platform/handletable.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <vector>

namespace {

const char kKinds[3] = {};

// The table beside what it should hold.
class CheckedTable {
 public:
  DWORD Add(size_t object, int kind) {
    const DWORD handle = table_.Add(&objects_[object], &kKinds[kind]);
    EXPECT_GT(handle, lastHandle_) << "handles count up and are not reused";
    lastHandle_ = handle;
    listed_[handle] = Listed{object, kind};
    return handle;
  }

  void Remove(DWORD handle) {
    const Listed listed = listed_.at(handle);
    // Another kind cannot withdraw it.
    EXPECT_EQ(table_.Remove(handle, &kKinds[(listed.kind + 1) % 3]), nullptr);
    EXPECT_EQ(table_.Remove(handle, &kKinds[listed.kind]), &objects_[listed.object]);
    listed_.erase(handle);
  }

  // Every handle issued so far finds its object when listed and nothing
  // otherwise, for its own kind and for the others.
  void Check() const {
    ASSERT_EQ(table_.Count(), listed_.size());
    for (DWORD handle = 1; handle <= lastHandle_; ++handle) {
      const auto listed = listed_.find(handle);
      for (int kind = 0; kind < 3; ++kind) {
        const bool found = listed != listed_.end() && listed->second.kind == kind;
        ASSERT_EQ(table_.Lookup(handle, &kKinds[kind]), found ? &objects_[listed->second.object] : nullptr)
            << "handle " << handle << " kind " << kind;
      }
    }
  }

  std::vector<DWORD> Handles() const {
    std::vector<DWORD> handles;
    for (const auto& entry : listed_) handles.push_back(entry.first);
    return handles;
  }

 private:
  struct Listed {
    size_t object;
    int kind;
  };

  HandleTableBase table_;
  char objects_[20000] = {};
  std::map<DWORD, Listed> listed_;
  DWORD lastHandle_ = 0;
};

TEST(HandleTableChurn, EveryListedHandleKeepsItsObjectThroughGrowthRemovalAndShrinking) {
  CheckedTable table;
  std::mt19937 random(20261210);
  // Long-lived handles first (tags, say), then waves of short-lived ones
  // (client items) whose numbers lie ever further from the first ones.
  for (size_t i = 0; i < 3000; ++i) table.Add(i, static_cast<int>(i % 3));
  table.Check();
  for (int wave = 0; wave < 6; ++wave) {
    std::vector<DWORD> waveHandles;
    for (size_t i = 0; i < 5000; ++i) waveHandles.push_back(table.Add(3000 + i, static_cast<int>(random() % 3)));
    // Out of order, so that entries are taken from the middle of runs.
    std::shuffle(waveHandles.begin(), waveHandles.end(), random);
    for (size_t i = 0; i < waveHandles.size(); ++i) {
      table.Remove(waveHandles[i]);
      if (i == waveHandles.size() / 2) table.Check();
    }
  }
  table.Check();

  // Emptied down to nothing (the table shrinks on the way), then used again.
  std::vector<DWORD> handles = table.Handles();
  std::shuffle(handles.begin(), handles.end(), random);
  for (size_t i = 0; i < handles.size(); ++i) {
    table.Remove(handles[i]);
    if (i % 500 == 0) table.Check();
  }
  table.Check();
  for (size_t i = 0; i < 100; ++i) table.Add(i, 0);
  table.Check();
}

}  // namespace
