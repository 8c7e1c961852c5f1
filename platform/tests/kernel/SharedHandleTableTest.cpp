#include "platform/handletable.h"

#include <gtest/gtest.h>

namespace {
struct Group {};
struct Item {};
}  // namespace

TEST(SharedHandleTable, HandlesOfOneKindAreUnknownToEveryOtherKind) {
  Group group;
  Item item;
  const DWORD groupHandle = SharedHandleTable<Group>::Add(&group);
  const DWORD itemHandle = SharedHandleTable<Item>::Add(&item);
  // One table issues both, so the values differ although each kind starts afresh.
  EXPECT_NE(groupHandle, itemHandle);
  EXPECT_EQ(SharedHandleTable<Group>::Lookup(groupHandle), &group);
  EXPECT_EQ(SharedHandleTable<Item>::Lookup(itemHandle), &item);
  EXPECT_EQ(SharedHandleTable<Item>::Lookup(groupHandle), nullptr);
  EXPECT_EQ(SharedHandleTable<Group>::Lookup(itemHandle), nullptr);
  // Nor can another kind withdraw it.
  EXPECT_EQ(SharedHandleTable<Item>::Remove(groupHandle), nullptr);
  EXPECT_EQ(SharedHandleTable<Group>::Lookup(groupHandle), &group);

  EXPECT_EQ(SharedHandleTable<Group>::Remove(groupHandle), &group);
  EXPECT_EQ(SharedHandleTable<Item>::Remove(itemHandle), &item);
  EXPECT_EQ(SharedHandleTable<Group>::Lookup(groupHandle), nullptr);
  EXPECT_EQ(SharedHandleTable<Item>::Lookup(itemHandle), nullptr);
}
