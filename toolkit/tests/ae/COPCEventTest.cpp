#include "ae/COPCEvent.h"
#include "app/CVorlixApp.h"
#include "support/HostCalls.h"

#include "platform/taskmemory.h"
#include "platform/wintime.h"

#include <gtest/gtest.h>

namespace {

class PackedEvent : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(CoGetMalloc(MEMCTX_TASK, &malloc_), S_OK);
    malloc_->AddRef();
    VorlixApp().SetTaskAllocator(malloc_);
  }
  void TearDown() override { malloc_->Release(); }

  // The size of the block and whether [pointer, pointer + bytes) lies inside it.
  SIZE_T BlockSize(const ONEVENTSTRUCT* block) const { return malloc_->GetSize(const_cast<ONEVENTSTRUCT*>(block)); }
  bool Inside(const ONEVENTSTRUCT* block, const void* pointer, size_t bytes) const {
    const auto* begin = reinterpret_cast<const BYTE*>(block);
    const auto* at = static_cast<const BYTE*>(pointer);
    return at >= begin + sizeof(ONEVENTSTRUCT) && at + bytes <= begin + BlockSize(block);
  }

  IMalloc* malloc_ = nullptr;
};

}  // namespace

TEST_F(PackedEvent, AnEmptyRecordPacksZeroesAndFiveTerminatorsInsideTheBlock) {
  const COPCEvent event;
  const size_t live = TaskMemoryLiveBlocks();
  ONEVENTSTRUCT* packed = event.Pack();
  ASSERT_NE(packed, nullptr);
  EXPECT_EQ(BlockSize(packed), sizeof(ONEVENTSTRUCT) + 5 * sizeof(WCHAR) + 16);
  for (LPWSTR text : {packed->szSource, packed->szMessage, packed->szConditionName, packed->szSubconditionName,
                      packed->szActorID}) {
    ASSERT_TRUE(Inside(packed, text, sizeof(WCHAR)));
    EXPECT_EQ(*text, 0);
  }
  EXPECT_EQ(packed->pEventAttributes, nullptr);
  EXPECT_EQ(packed->dwNumEventAttrs, 0u);
  EXPECT_EQ(packed->wChangeMask | packed->wNewState | packed->wQuality | packed->wReserved, 0);
  EXPECT_EQ(packed->dwEventType | packed->dwEventCategory | packed->dwSeverity, 0u);
  EXPECT_FALSE(packed->bAckRequired);
  EXPECT_EQ(FileTimeToTicks(packed->ftActiveTime), 0u);
  EXPECT_EQ(FileTimeToTicks(packed->ftTime), FileTimeToTicks(event.time));
  EXPECT_NE(FileTimeToTicks(packed->ftTime), 0u);
  EXPECT_EQ(packed->dwCookie, event.cookie);
  COPCEvent::FreePacked(packed);
  EXPECT_EQ(TaskMemoryLiveBlocks(), live);
}

TEST_F(PackedEvent, TextsFieldsAndAttributeCopiesComeOutAsTheRecordHoldsThem) {
  COPCEvent event;
  event.source = "T1";
  event.message = "H\xA8\xA6";  // "Hé" in GBK
  event.conditionName = "Level";
  event.actorId = "op";
  event.changeMask = 0x00FF;
  event.newState = 7;
  event.eventType = OPC_TRACKING_EVENT;
  event.category = 0xABCDEF01;
  event.severity = 1000;
  event.quality = OPC_QUALITY_GOOD;
  event.ackRequired = TRUE;
  event.activeTime = {0x11111111, 0x01D22222};
  event.time = {0x33333333, 0x01D44444};
  event.cookie = 0xFEEDBEEF;
  VARIANT attributes[2] = {MakeI4(-5), MakeBstr(OLESTR("attribute"))};
  ASSERT_EQ(event.SetAttributes(attributes, 2), S_OK);
  VariantClear(&attributes[1]);

  ONEVENTSTRUCT* packed = event.Pack();
  ASSERT_NE(packed, nullptr);
  EXPECT_EQ(BlockSize(packed), sizeof(ONEVENTSTRUCT) + (2 + 2 + 5 + 0 + 2 + 5) * sizeof(WCHAR) + 16 + 2 * sizeof(VARIANT));
  EXPECT_EQ(WideString(packed->szSource), OLESTR("T1"));
  EXPECT_EQ(WideString(packed->szMessage), OLESTR("H\u00E9"));
  EXPECT_EQ(WideString(packed->szConditionName), OLESTR("Level"));
  EXPECT_EQ(WideString(packed->szSubconditionName), OLESTR(""));
  EXPECT_EQ(WideString(packed->szActorID), OLESTR("op"));
  for (LPWSTR text : {packed->szSource, packed->szMessage, packed->szConditionName, packed->szSubconditionName,
                      packed->szActorID}) {
    EXPECT_TRUE(Inside(packed, text, sizeof(WCHAR)));
  }
  EXPECT_EQ(packed->wChangeMask, 0x00FF);
  EXPECT_EQ(packed->wNewState, 7);
  EXPECT_EQ(packed->dwEventType, OPC_TRACKING_EVENT);
  EXPECT_EQ(packed->dwEventCategory, 0xABCDEF01u);
  EXPECT_EQ(packed->dwSeverity, 1000u);
  EXPECT_EQ(packed->wQuality, OPC_QUALITY_GOOD);
  EXPECT_EQ(packed->wReserved, 0);
  EXPECT_TRUE(packed->bAckRequired);
  EXPECT_EQ(FileTimeToTicks(packed->ftActiveTime), FileTimeToTicks(event.activeTime));
  EXPECT_EQ(FileTimeToTicks(packed->ftTime), FileTimeToTicks(event.time));
  EXPECT_EQ(packed->dwCookie, 0xFEEDBEEFu);

  ASSERT_EQ(packed->dwNumEventAttrs, 2u);
  VARIANT* values = packed->pEventAttributes;
  ASSERT_TRUE(Inside(packed, values, 2 * sizeof(VARIANT)));
  EXPECT_EQ(reinterpret_cast<uintptr_t>(values) % alignof(VARIANT), 0u);
  EXPECT_GE(reinterpret_cast<const BYTE*>(values), reinterpret_cast<const BYTE*>(packed->szActorID + 3));
  for (size_t i = 0; i < 2; ++i) EXPECT_TRUE(VariantValuesEqual(values[i], event.Attributes()[i])) << i;
  EXPECT_NE(values[1].bstrVal, event.Attributes()[1].bstrVal);
  EXPECT_EQ(WideString(values[1].bstrVal), OLESTR("attribute"));
  COPCEvent::FreePacked(packed);
}

TEST_F(PackedEvent, WithoutMemoryThereIsNoBlockAndTheRecordStays) {
  COPCEvent event;
  event.source = "Kept";
  VARIANT value = MakeR4(1.5f);
  ASSERT_EQ(event.SetAttributes(&value, 1), S_OK);
  const size_t live = TaskMemoryLiveBlocks();
  TaskMemoryFailNextAllocations(1);
  EXPECT_EQ(event.Pack(), nullptr);
  EXPECT_EQ(TaskMemoryLiveBlocks(), live);
  EXPECT_EQ(event.source, "Kept");
  ASSERT_EQ(event.Attributes().size(), 1u);
  ONEVENTSTRUCT* packed = event.Pack();
  ASSERT_NE(packed, nullptr);
  EXPECT_EQ(packed->pEventAttributes[0].fltVal, 1.5f);
  COPCEvent::FreePacked(packed);
  COPCEvent::FreePacked(nullptr);
}

TEST(COPCEvent, EveryRecordHasACookieOfItsOwn) {
  auto first = std::make_unique<COPCEvent>();
  const COPCEvent second;
  const DWORD firstCookie = first->cookie;
  first.reset();
  const COPCEvent third;
  for (DWORD cookie : {firstCookie, second.cookie, third.cookie}) {
    EXPECT_NE(cookie, 0u);
    EXPECT_NE(cookie, 0xFFFFFFFFu);
  }
  EXPECT_NE(firstCookie, second.cookie);
  EXPECT_NE(firstCookie, third.cookie);
  EXPECT_NE(second.cookie, third.cookie);
}

TEST(COPCEvent, AttributesThatCannotBeCopiedLeaveNone) {
  COPCEvent event;
  VARIANT values[2] = {MakeI4(1), MakeI4(2)};
  values[1].vt = 0x7FFF;
  EXPECT_NE(event.SetAttributes(values, 2), S_OK);
  EXPECT_TRUE(event.Attributes().empty());
  EXPECT_EQ(event.SetAttributes(nullptr, 1), E_INVALIDARG);
  EXPECT_EQ(event.SetAttributes(nullptr, 0), S_OK);
}
