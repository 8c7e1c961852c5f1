#include "app/CVorlixApp.h"
#include "support/HostCalls.h"

#include <gtest/gtest.h>

#include <cstring>

#include <thread>

namespace {

const OPCITEMRESULT kUntouched = {0xDEAD, 0xBEEF, 0x5555, 0xAAAA, 7, reinterpret_cast<BYTE*>(0x1)};

bool Untouched(const OPCITEMRESULT& result) { return std::memcmp(&result, &kUntouched, sizeof result) == 0; }

struct UnknownItemCall {
  std::string accessPath;
  std::string itemId;
  bool lockHeld;
};
std::vector<UnknownItemCall> unknownItemCalls;

void RecordUnknownItem(char* accessPath, char* itemId) {
  unknownItemCalls.push_back({accessPath, itemId, VorlixApp().GetServerLock().HeldByCurrentThread()});
}

void CreateUnknownItemOnAnotherThread(char* accessPath, char* itemId) {
  RecordUnknownItem(accessPath, itemId);
  // Creating it elsewhere can only finish while validation has the lock released.
  std::thread creator([name = VorlixApp().MakeFullName(accessPath, itemId)] { NewTag(name); });
  creator.join();
}

}  // namespace

TEST(ValidateItem, AKnownTagGivesItsTypeAndRights) {
  const DWORD tag = CreateTag(std::string("A.B").data(), MakeR4(1.5f), OPC_QUALITY_GOOD, FALSE);
  OPCITEMRESULT result = kUntouched;
  DWORD rights = 0;
  OPCTag* found = nullptr;
  const ItemDefinition item("A", "B");
  EXPECT_EQ(VorlixApp().ValidateItem(item.Get(), &result, &found, &rights), S_OK);
  EXPECT_EQ(found, VorlixApp().TagFromHandle(tag));
  EXPECT_EQ(result.hServer, 0u);
  EXPECT_EQ(result.vtCanonicalDataType, VT_R4);
  EXPECT_EQ(result.dwAccessRights, OPC_READABLE);
  EXPECT_EQ(result.dwBlobSize, 0u);
  EXPECT_EQ(result.pBlob, nullptr);
  EXPECT_EQ(rights, OPC_READABLE);
}

TEST(ValidateItem, EmptyUnknownAndSuspendedItems) {
  const DWORD tag = NewTag("A.B");
  OPCITEMRESULT result = kUntouched;
  EXPECT_EQ(Validate("", ""), OPC_E_INVALIDITEMID);
  EXPECT_EQ(Validate("A", ""), OPC_E_INVALIDITEMID);
  EXPECT_EQ(Validate("", "A.C", VT_EMPTY, &result), OPC_E_UNKNOWNITEMID);
  EXPECT_TRUE(Untouched(result));
  EXPECT_EQ(Validate("", "A"), OPC_E_UNKNOWNITEMID);  // a branch is no item

  EXPECT_TRUE(SuspendTagUpdates(tag, TRUE));
  EXPECT_EQ(Validate("", "A.B"), OPC_E_UNKNOWNITEMID);
  EXPECT_TRUE(SuspendTagUpdates(tag, FALSE));
  EXPECT_EQ(Validate("", "A.B"), S_OK);
}

TEST(ValidateItem, RequestedTypeMustConvertFromTheCurrentValue) {
  const DWORD small = NewTag("Small", MakeI4(5));
  NewTag("Large", MakeI4(100000));
  NewTag("Real");
  const struct {
    const char* item;
    VARTYPE requested;
    HRESULT expected;
  } cases[] = {
      {"Real", VT_BSTR, S_OK},           {"Real", VT_R4, S_OK},           {"Real", VT_DISPATCH, OPC_E_BADTYPE},
      {"Real", VT_UNKNOWN, OPC_E_BADTYPE}, {"Real", VT_ARRAY | VT_R4, OPC_E_BADTYPE}, {"Real", 0x000F, OPC_E_BADTYPE},
      {"Small", VT_I2, S_OK},            {"Large", VT_I2, OPC_E_BADTYPE}, {"Large", VT_R8, S_OK},
  };
  for (const auto& c : cases) {
    OPCITEMRESULT result = kUntouched;
    EXPECT_EQ(Validate("", c.item, c.requested, &result), c.expected) << c.item << " as " << c.requested;
    if (c.expected == S_OK) {
      EXPECT_EQ(result.vtCanonicalDataType, VorlixApp().FindTag("", c.item)->live->value.vt);
    } else {
      EXPECT_TRUE(Untouched(result)) << c.item << " as " << c.requested;
    }
    EXPECT_FALSE(VorlixApp().GetServerLock().HeldByCurrentThread());
  }
  // Another thread can still take the lock after a refusal.
  std::thread other([small] { EXPECT_TRUE(SuspendTagUpdates(small, FALSE)); });
  other.join();
}

TEST(ValidateItem, UnknownItemCallbackIsAskedOnceWithTheLockReleased) {
  EXPECT_TRUE(EnableUnknownItemNotification(RecordUnknownItem));
  EXPECT_EQ(Validate("Dev", "Missing"), OPC_E_UNKNOWNITEMID);
  ASSERT_EQ(unknownItemCalls.size(), 1u);
  EXPECT_EQ(unknownItemCalls[0].accessPath, "Dev");
  EXPECT_EQ(unknownItemCalls[0].itemId, "Missing");
  EXPECT_FALSE(unknownItemCalls[0].lockHeld);

  EXPECT_TRUE(EnableUnknownItemNotification(CreateUnknownItemOnAnotherThread));
  EXPECT_EQ(Validate("Dev", "Late"), S_OK);
  EXPECT_EQ(Validate("Dev", "Late"), S_OK);
  EXPECT_EQ(unknownItemCalls.size(), 2u);

  EXPECT_FALSE(EnableUnknownItemNotification(nullptr));
  EXPECT_EQ(Validate("Dev", "Other"), OPC_E_UNKNOWNITEMID);
  EXPECT_EQ(unknownItemCalls.size(), 2u);
}
