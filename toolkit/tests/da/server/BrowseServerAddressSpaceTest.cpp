#include "support/HostCalls.h"
#include "support/OpcTestClient.h"
#include "support/RunningServer.h"
#include "support/TraceCapture.h"

#include "platform/IOPCBrowseServerAddressSpace.h"
#include "platform/opcguid.h"
#include "platform/taskmemory.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Names = std::vector<std::string>;

// A client of a running server with the given tags, browsing.
class Browsing : public ::testing::Test {
 protected:
  void Start(std::initializer_list<const char*> tags) {
    ASSERT_TRUE(server_.Started());
    for (const char* tag : tags) ASSERT_NE(NewTag(tag), VORLIX_INVALID_TAG) << tag;
    ASSERT_EQ(client_.Connect(), S_OK);
    ASSERT_EQ(client_.Query(IID_IOPCBrowseServerAddressSpace, &browse_), S_OK);
  }

  // The item ID of a name at the position, or the failure as text.
  std::string ItemId(const WideString& name) {
    LPWSTR id = nullptr;
    WideString writable = name;
    const HRESULT hr = browse_->GetItemID(writable.data(), &id);
    if (FAILED(hr)) {
      EXPECT_EQ(id, nullptr);
      return hr == OPC_E_INVALIDITEMID ? "OPC_E_INVALIDITEMID" : "failed";
    }
    const std::string text = NarrowAnsi(id).value();
    CoTaskMemFree(id);
    return text;
  }

  Names List(OPCBROWSETYPE type, const WCHAR* filter = OLESTR(""), VARTYPE typeFilter = VT_EMPTY, DWORD rights = 0) {
    IEnumString* strings = nullptr;
    EXPECT_EQ(browse_->BrowseOPCItemIDs(type, filter, typeFilter, rights, &strings), S_OK);
    if (strings == nullptr) return {};
    const Names names = ReadAll(strings);
    EXPECT_EQ(strings->Release(), 0u);
    return names;
  }

  RunningServer server_;
  OpcTestClient client_;
  IOPCBrowseServerAddressSpace* browse_ = nullptr;
};

}  // namespace

TEST_F(Browsing, ThePositionMovesDownUpAndToOnlyWhereANodeIs) {
  Start({"A.B.C", "A.B.D", "A.X"});
  OPCNAMESPACETYPE organisation = OPC_NS_FLAT;
  ASSERT_EQ(browse_->QueryOrganization(&organisation), S_OK);
  EXPECT_EQ(organisation, OPC_NS_HIERARCHIAL);

  // Each step, and the position after it as the item ID of an empty name.
  const struct {
    int direction;
    const WCHAR* text;
    HRESULT result;
    const char* position;
  } steps[] = {
      {OPC_BROWSE_UP, OLESTR(""), E_FAIL, ""},
      {OPC_BROWSE_DOWN, OLESTR("A"), S_OK, "A"},
      {OPC_BROWSE_DOWN, OLESTR("B"), S_OK, "A.B"},
      {OPC_BROWSE_DOWN, OLESTR("Q"), E_FAIL, "A.B"},
      {OPC_BROWSE_DOWN, OLESTR(""), E_FAIL, "A.B"},
      {OPC_BROWSE_UP, nullptr, S_OK, "A"},
      {OPC_BROWSE_UP, nullptr, S_OK, ""},
      {OPC_BROWSE_UP, nullptr, E_FAIL, ""},
      {OPC_BROWSE_DOWN, OLESTR("X.A"), S_OK, "A"},  // only the last component counts
      {OPC_BROWSE_DOWN, OLESTR("X"), S_OK, "A.X"},  // a leaf too
      {OPC_BROWSE_TO, OLESTR("A.B"), S_OK, "A.B"},
      {OPC_BROWSE_TO, OLESTR("A.Q"), E_FAIL, "A.B"},
      {4, OLESTR("A"), E_FAIL, "A.B"},
      {OPC_BROWSE_TO, OLESTR(""), S_OK, ""},
      {OPC_BROWSE_TO, OLESTR("A.B.C"), S_OK, "A.B.C"},
  };
  for (const auto& step : steps) {
    EXPECT_EQ(browse_->ChangeBrowsePosition(static_cast<OPCBROWSEDIRECTION>(step.direction), step.text), step.result)
        << step.position;
    EXPECT_EQ(ItemId(OLESTR("")), step.position);
  }

  browse_->ChangeBrowsePosition(OPC_BROWSE_TO, OLESTR("A.B"));
  EXPECT_EQ(ItemId(OLESTR("C")), "A.B.C");
  EXPECT_EQ(ItemId(OLESTR("Q")), "OPC_E_INVALIDITEMID");
  EXPECT_EQ(List(OPC_LEAF), (Names{"C", "D"}));
  browse_->ChangeBrowsePosition(OPC_BROWSE_TO, OLESTR(""));
  EXPECT_EQ(ItemId(OLESTR("A.X")), "A.X");

  // Every client has a position of its own.
  OpcTestClient other;
  IOPCBrowseServerAddressSpace* otherBrowse = nullptr;
  ASSERT_EQ(other.Connect(), S_OK);
  ASSERT_EQ(other.Query(IID_IOPCBrowseServerAddressSpace, &otherBrowse), S_OK);
  ASSERT_EQ(otherBrowse->ChangeBrowsePosition(OPC_BROWSE_DOWN, OLESTR("A")), S_OK);
  EXPECT_EQ(ItemId(OLESTR("")), "");
}

TEST_F(Browsing, ListsWhatIsBelowThePositionThroughTheFilters) {
  Start({"A.B.T1", "A.B.T2", "A.X"});
  // Read-only, and of another type.
  ASSERT_NE(CreateTag(const_cast<char*>("A.N"), MakeI4(5), OPC_QUALITY_GOOD, FALSE), VORLIX_INVALID_TAG);
  EXPECT_EQ(List(OPC_BRANCH), Names{"A"});
  EXPECT_EQ(List(OPC_FLAT), (Names{"A.B.T1", "A.B.T2", "A.X", "A.N"}));
  ASSERT_EQ(browse_->ChangeBrowsePosition(OPC_BROWSE_DOWN, OLESTR("A")), S_OK);
  EXPECT_EQ(List(OPC_BRANCH), Names{"B"});
  EXPECT_EQ(List(OPC_LEAF), (Names{"X", "N"}));
  EXPECT_EQ(List(OPC_LEAF, OLESTR(""), VT_I4), Names{"N"});
  EXPECT_EQ(List(OPC_LEAF, OLESTR(""), VT_EMPTY, OPC_WRITEABLE), Names{"X"});
  EXPECT_EQ(List(OPC_FLAT, OLESTR("*T#")), (Names{"A.B.T1", "A.B.T2"}));
  EXPECT_EQ(List(OPC_LEAF, OLESTR("T*")), Names{});  // matched against the full names
  EXPECT_EQ(List(static_cast<OPCBROWSETYPE>(4)), Names{});
}

TEST_F(Browsing, AFlatSpaceIsListedWholeAndCannotBeWalked) {
  Start({"T1", "T2"});
  OPCNAMESPACETYPE organisation = OPC_NS_HIERARCHIAL;
  ASSERT_EQ(browse_->QueryOrganization(&organisation), S_OK);
  EXPECT_EQ(organisation, OPC_NS_FLAT);
  for (int direction : {OPC_BROWSE_UP, OPC_BROWSE_DOWN, OPC_BROWSE_TO}) {
    EXPECT_EQ(browse_->ChangeBrowsePosition(static_cast<OPCBROWSEDIRECTION>(direction), OLESTR("T1")), E_FAIL);
  }
  for (OPCBROWSETYPE type : {OPC_BRANCH, OPC_LEAF, OPC_FLAT}) EXPECT_EQ(List(type), (Names{"T1", "T2"})) << type;
  EXPECT_EQ(ItemId(OLESTR("T2")), "T2");
  EXPECT_EQ(ItemId(OLESTR("T3")), "OPC_E_INVALIDITEMID");
}

TEST_F(Browsing, NamesFollowAChangedDelimiter) {
  ASSERT_EQ(SetVarnOPCsvrQualifier('/'), '/');
  Start({"A/B/C"});
  ASSERT_EQ(browse_->ChangeBrowsePosition(OPC_BROWSE_DOWN, OLESTR("X/A")), S_OK);
  EXPECT_EQ(ItemId(OLESTR("B")), "A/B");
  ASSERT_EQ(browse_->ChangeBrowsePosition(OPC_BROWSE_TO, OLESTR("A/B")), S_OK);
  EXPECT_EQ(ItemId(OLESTR("C")), "A/B/C");
  EXPECT_EQ(List(OPC_FLAT), Names{"A/B/C"});
}

TEST_F(Browsing, TracesEachMethodAndRefusesNullOutPointers) {
  Start({"A.B"});
  TraceCapture capture;
  // Anything but NULL, to see it cleared.
  IEnumString* strings = reinterpret_cast<IEnumString*>(&capture);
  EXPECT_EQ(browse_->QueryOrganization(nullptr), E_INVALIDARG);
  EXPECT_EQ(browse_->ChangeBrowsePosition(OPC_BROWSE_DOWN, OLESTR("A")), S_OK);
  EXPECT_EQ(browse_->BrowseOPCItemIDs(OPC_LEAF, OLESTR(""), VT_EMPTY, 0, nullptr), E_INVALIDARG);
  EXPECT_EQ(browse_->GetItemID(nullptr, nullptr), E_INVALIDARG);
  EXPECT_EQ(browse_->BrowseAccessPaths(OLESTR("A.B"), &strings), E_NOTIMPL);
  EXPECT_EQ(strings, nullptr);
  const std::vector<std::string> lines = capture.Texts();
  EXPECT_EQ(lines, (std::vector<std::string>{
                       "IOPCBrowseServerAddressSpace::QueryOrganization",
                       "IOPCBrowseServerAddressSpace::ChangeBrowsePosition",
                       "IOPCBrowseServerAddressSpace::BrowseOPCItemIDs",
                       "IOPCBrowseServerAddressSpace::GetItemID",
                       "IOPCBrowseServerAddressSpace::BrowseAccessPaths",
                   }));
}
