#include "app/CVorlixApp.h"
#include "support/HostCalls.h"
#include "support/OpcTestClient.h"
#include "support/RunningServer.h"
#include "support/TraceCapture.h"

#include "platform/IOPCItemProperties.h"
#include "platform/opcguid.h"
#include "platform/taskmemory.h"

#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <vector>

namespace {

// A client of a running server that holds the tag "A.B" (VT_R4 1.5, good,
// writable) with one custom property 5000.
class ItemProperties : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server_.Started());
    const DWORD tag = NewTag("A.B", MakeR4(1.5f));
    ASSERT_NE(tag, VORLIX_INVALID_TAG);
    VARIANT unit = MakeBstr(OLESTR("kPa"));
    ASSERT_TRUE(SetTagProperties(tag, 5000, const_cast<char*>("Unit"), unit));
    VariantClear(&unit);
    ASSERT_EQ(client_.Connect(), S_OK);
    ASSERT_EQ(client_.Query(IID_IOPCItemProperties, &properties_), S_OK);
    liveBlocks_ = TaskMemoryLiveBlocks();
  }

  // Every block handed out was freed, and no call left the server lock held.
  void TearDown() override {
    EXPECT_EQ(TaskMemoryLiveBlocks(), liveBlocks_);
    EXPECT_FALSE(VorlixApp().GetServerLock().HeldByCurrentThread());
  }

  // Out-parameters as a client passes them, pointing at junk so that one a
  // method leaves alone shows.
  template <class Element>
  static Element* Junk() {
    static char junk;
    return reinterpret_cast<Element*>(&junk);
  }
  struct Outs {
    DWORD count = 7;
    DWORD* ids = Junk<DWORD>();
    LPWSTR* texts = Junk<LPWSTR>();
    VARTYPE* types = Junk<VARTYPE>();
    VARIANT* values = Junk<VARIANT>();
    HRESULT* errors = Junk<HRESULT>();
  };

  RunningServer server_;
  OpcTestClient client_;
  IOPCItemProperties* properties_ = nullptr;
  WideString item_ = OLESTR("A.B");

 private:
  size_t liveBlocks_ = 0;
};

}  // namespace

TEST_F(ItemProperties, ListsTheSixStandardPropertiesThenTheHostsOwn) {
  DWORD count = 0;
  DWORD* ids = nullptr;
  LPWSTR* descriptions = nullptr;
  VARTYPE* types = nullptr;
  ASSERT_EQ(properties_->QueryAvailableProperties(item_.data(), &count, &ids, &descriptions, &types), S_OK);
  const struct {
    DWORD id;
    const char* description;
    VARTYPE type;
  } expected[] = {
      {1, "Item Canonical Data Type", VT_I2}, {2, "Item Value", VT_R4},     {3, "Item Quality", VT_I2},
      {4, "Item Timestamp", VT_DATE},         {5, "Item Access Rights", VT_I4}, {6, "Server Scan Rate", VT_R4},
      {5000, "Unit", VT_BSTR},
  };
  ASSERT_EQ(count, std::size(expected));
  for (DWORD i = 0; i < count; ++i) {
    EXPECT_EQ(ids[i], expected[i].id);
    EXPECT_EQ(NarrowAnsi(descriptions[i]).value(), expected[i].description);
    EXPECT_EQ(types[i], expected[i].type);
    CoTaskMemFree(descriptions[i]);
  }
  CoTaskMemFree(ids);
  CoTaskMemFree(descriptions);
  CoTaskMemFree(types);
}

TEST_F(ItemProperties, ReadsEachAskedValueWithItsOwnResult) {
  DWORD ids[] = {1, 2, 3, 5, 6, 99, 5000};
  VARIANT* values = nullptr;
  HRESULT* errors = nullptr;
  EXPECT_EQ(properties_->GetItemProperties(item_.data(), 7, ids, &values, &errors), S_FALSE);
  ASSERT_NE(values, nullptr);
  ASSERT_NE(errors, nullptr);
  EXPECT_EQ(values[0].vt, VT_I2);
  EXPECT_EQ(values[0].iVal, VT_R4);
  EXPECT_EQ(values[1].vt, VT_R4);
  EXPECT_EQ(values[1].fltVal, 1.5f);
  EXPECT_EQ(values[2].iVal, OPC_QUALITY_GOOD);
  EXPECT_EQ(values[3].lVal, OPC_READABLE | OPC_WRITEABLE);
  EXPECT_EQ(values[4].fltVal, 10.0f);
  EXPECT_EQ(values[5].vt, VT_EMPTY);
  EXPECT_EQ(NarrowAnsi(values[6].bstrVal).value(), "kPa");
  const HRESULT expectedErrors[] = {S_OK, S_OK, S_OK, S_OK, S_OK, OPC_E_INVALID_PID, S_OK};
  for (int i = 0; i < 7; ++i) {
    EXPECT_EQ(errors[i], expectedErrors[i]) << i;
    VariantClear(&values[i]);
  }
  CoTaskMemFree(values);
  CoTaskMemFree(errors);

  // Every property known: S_OK.
  ASSERT_EQ(properties_->GetItemProperties(item_.data(), 2, ids, &values, &errors), S_OK);
  VariantClear(&values[1]);
  CoTaskMemFree(values);
  CoTaskMemFree(errors);
}

TEST_F(ItemProperties, NoPropertyLeadsToAnotherItem) {
  DWORD ids[] = {1, 99, 5000};
  Outs o;
  EXPECT_EQ(properties_->LookupItemIDs(item_.data(), 0, ids, &o.texts, &o.errors), E_INVALIDARG);
  EXPECT_EQ(o.texts, nullptr);
  EXPECT_EQ(o.errors, nullptr);
  EXPECT_EQ(properties_->LookupItemIDs(item_.data(), 3, nullptr, &o.texts, &o.errors), E_INVALIDARG);
  LPWSTR* newIds = nullptr;
  HRESULT* errors = nullptr;

  ASSERT_EQ(properties_->LookupItemIDs(item_.data(), 3, ids, &newIds, &errors), S_FALSE);
  const HRESULT expectedErrors[] = {E_FAIL, OPC_E_INVALID_PID, E_FAIL};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(newIds[i], nullptr);
    EXPECT_EQ(errors[i], expectedErrors[i]) << i;
  }
  CoTaskMemFree(newIds);
  CoTaskMemFree(errors);
}

TEST_F(ItemProperties, EveryMethodTracesAndRefusesWhatItCannotAnswer) {
  TraceCapture capture;
  DWORD ids[] = {1};
  WideString empty;
  WideString unknown = OLESTR("A.C");
  for (LPWSTR item : {static_cast<LPWSTR>(nullptr), empty.data(), unknown.data()}) {
    Outs o;
    EXPECT_EQ(properties_->QueryAvailableProperties(item, &o.count, &o.ids, &o.texts, &o.types), OPC_E_UNKNOWNITEMID);
    EXPECT_EQ(o.count, 0u);
    EXPECT_EQ(o.ids, nullptr);
    EXPECT_EQ(o.texts, nullptr);
    EXPECT_EQ(o.types, nullptr);
    o = Outs();
    EXPECT_EQ(properties_->GetItemProperties(item, 1, ids, &o.values, &o.errors), OPC_E_UNKNOWNITEMID);
    EXPECT_EQ(o.values, nullptr);
    EXPECT_EQ(o.errors, nullptr);
    o = Outs();
    EXPECT_EQ(properties_->LookupItemIDs(item, 1, ids, &o.texts, &o.errors), OPC_E_UNKNOWNITEMID);
    EXPECT_EQ(o.texts, nullptr);
    EXPECT_EQ(o.errors, nullptr);
  }
  Outs o;
  EXPECT_EQ(properties_->QueryAvailableProperties(item_.data(), &o.count, &o.ids, nullptr, &o.types), E_INVALIDARG);
  EXPECT_EQ(o.ids, nullptr);
  EXPECT_EQ(o.types, nullptr);
  EXPECT_EQ(properties_->GetItemProperties(item_.data(), 1, nullptr, &o.values, &o.errors), E_INVALIDARG);
  EXPECT_EQ(o.values, nullptr);
  o = Outs();
  EXPECT_EQ(properties_->GetItemProperties(item_.data(), 1, ids, &o.values, nullptr), E_INVALIDARG);
  EXPECT_EQ(o.values, nullptr);

  const std::vector<std::string> lines = capture.Texts();
  ASSERT_EQ(lines.size(), 12u);
  EXPECT_EQ(lines[0], "CIOPCItemProperties::QueryAvailableProperties");
  EXPECT_EQ(lines[1], "CIOPCItemProperties::GetItemProperties");
  EXPECT_EQ(lines[2], "CIOPCItemProperties::LookupItemIDs");
}

TEST_F(ItemProperties, OutOfMemoryHandsOutNothing) {
  DWORD ids[] = {2, 5000};
  Outs o;
  // Each time the first array fails and those after it are given back.
  TaskMemoryFailNextAllocations(1);
  EXPECT_EQ(properties_->QueryAvailableProperties(item_.data(), &o.count, &o.ids, &o.texts, &o.types), E_OUTOFMEMORY);
  EXPECT_EQ(o.count, 0u);
  EXPECT_EQ(o.texts, nullptr);
  TaskMemoryFailNextAllocations(1);
  EXPECT_EQ(properties_->GetItemProperties(item_.data(), 2, ids, &o.values, &o.errors), E_OUTOFMEMORY);
  EXPECT_EQ(o.values, nullptr);
  o = Outs();
  TaskMemoryFailNextAllocations(1);
  EXPECT_EQ(properties_->LookupItemIDs(item_.data(), 2, ids, &o.texts, &o.errors), E_OUTOFMEMORY);
  EXPECT_EQ(o.texts, nullptr);
  EXPECT_EQ(o.errors, nullptr);
}
