// A group's asynchronous reads, writes and refreshes through IOPCAsyncIO (Data
// Access 1.0) and IOPCAsyncIO2 (2.0): the order of each method's checks, the
// ids, cancellation, the queue's room, and what the drain delivers. The group
// belongs to a server object without a worker thread, so the test alone
// decides when the queue is drained.
#include "CVorlixApp.h"
#include "OPCGroup.h"
#include "OPCServer.h"
#include "support/HostCalls.h"
#include "support/OpcTestGroup.h"
#include "support/RunningServer.h"
#include "support/TraceCapture.h"

#include "platform/IOPCAsyncIO2.h"
#include "platform/opcguid.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {

class AsyncIO : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(running_.Started());
    ASSERT_EQ(server_->QueryInterface(IID_IOPCServer, reinterpret_cast<void**>(&opc_)), S_OK);
    NewTag("Plant.Flow");
    NewTag("Plant.Level");
    OpcTestGroup::Options options;
    options.clientHandle = 77;
    group_ = std::make_unique<OpcTestGroup>(opc_, "Async", options);
    ASSERT_EQ(group_->Added(), S_OK);
    for (const OPCITEMRESULT& result : group_->AddItems({{"Plant.Flow", "", 1}, {"Plant.Level", "", 2}}).results) {
      handles_.push_back(result.hServer);
    }
    ASSERT_EQ(group_->Unknown()->QueryInterface(IID_IOPCAsyncIO, reinterpret_cast<void**>(&io1_)), S_OK);
    ASSERT_EQ(group_->Unknown()->QueryInterface(IID_IOPCAsyncIO2, reinterpret_cast<void**>(&io2_)), S_OK);
  }
  void TearDown() override {
    if (io1_ != nullptr) io1_->Release();
    if (io2_ != nullptr) io2_->Release();
    group_.reset();
    if (opc_ != nullptr) opc_->Release();
  }

  OPCGroup& Group() { return *static_cast<OPCGroup*>(group_->Unknown()); }

  RunningServer running_{100};
  const std::unique_ptr<OPCServer> server_ = std::make_unique<OPCServer>();
  IOPCServer* opc_ = nullptr;
  std::unique_ptr<OpcTestGroup> group_;
  std::vector<OPCHANDLE> handles_;
  IOPCAsyncIO* io1_ = nullptr;
  IOPCAsyncIO2* io2_ = nullptr;
};

}  // namespace

TEST_F(AsyncIO, EachInterfaceHasOneHolderThatTracesAndDefersToTheGroup) {
  TraceCapture trace;
  IOPCAsyncIO* again1 = nullptr;
  IOPCAsyncIO2* again2 = nullptr;
  const LONG before = Group().ReferenceCount();
  ASSERT_EQ(io1_->QueryInterface(IID_IOPCAsyncIO, reinterpret_cast<void**>(&again1)), S_OK);
  ASSERT_EQ(io2_->QueryInterface(IID_IOPCAsyncIO2, reinterpret_cast<void**>(&again2)), S_OK);
  EXPECT_EQ(again1, io1_);
  EXPECT_EQ(again2, io2_);
  EXPECT_EQ(Group().ReferenceCount(), before + 2);
  again1->Release();
  again2->Release();
  EXPECT_EQ(Group().ReferenceCount(), before);
  const std::vector<std::string> lines = trace.Texts();
  for (const char* expected :
       {"IOPCASyncIO::QueryInterface() [defered to OPCGroup]", "OPCGroup::QueryInterface IID_IOPCAsyncIO",
        "IOPCASyncIO2::QueryInterface() [defered to OPCGroup]", "OPCGroup::QueryInterface IID_IOPCAsyncIO2",
        "IOPCASyncIO::Release() [defered to OPCGroup]", "IOPCASyncIO2::Release() [defered to OPCGroup]"}) {
    EXPECT_NE(std::find(lines.begin(), lines.end(), expected), lines.end()) << expected;
  }
}

TEST_F(AsyncIO, WithoutSinksMissingArgumentsComeFirstThenTheMissingConnection) {
  TraceCapture trace;
  OPCHANDLE* handles = handles_.data();
  VARIANT values[2] = {MakeR4(1.0f), MakeR4(2.0f)};
  DWORD id = 99;
  HRESULT* errors = reinterpret_cast<HRESULT*>(1);
  const struct {
    const char* call;
    HRESULT expected;
    HRESULT actual;
  } cases[] = {
      {"1.0 Read, no items", E_INVALIDARG, io1_->Read(0, OPC_DS_CACHE, 0, handles, &id, &errors)},
      {"1.0 Read, no handles", E_INVALIDARG, io1_->Read(0, OPC_DS_CACHE, 2, nullptr, &id, &errors)},
      {"1.0 Read, no id out", E_INVALIDARG, io1_->Read(0, OPC_DS_CACHE, 2, handles, nullptr, &errors)},
      {"1.0 Read, no errors out", E_INVALIDARG, io1_->Read(0, OPC_DS_CACHE, 2, handles, &id, nullptr)},
      {"1.0 Read", CONNECT_E_NOCONNECTION, io1_->Read(0, OPC_DS_CACHE, 2, handles, &id, &errors)},
      {"1.0 Write, no values", E_INVALIDARG, io1_->Write(0, 2, handles, nullptr, &id, &errors)},
      {"1.0 Write, no id out", E_INVALIDARG, io1_->Write(0, 2, handles, values, nullptr, &errors)},
      {"1.0 Write", CONNECT_E_NOCONNECTION, io1_->Write(0, 2, handles, values, &id, &errors)},
      {"1.0 Refresh, no id out", E_INVALIDARG, io1_->Refresh(0, OPC_DS_CACHE, nullptr)},
      {"1.0 Refresh", CONNECT_E_NOCONNECTION, io1_->Refresh(0, OPC_DS_CACHE, &id)},
      {"1.0 Cancel", E_FAIL, io1_->Cancel(1)},
      {"2.0 Read, no items", E_INVALIDARG, io2_->Read(0, handles, 5, &id, &errors)},
      {"2.0 Read, no cancel id out", E_INVALIDARG, io2_->Read(2, handles, 5, nullptr, &errors)},
      {"2.0 Read", CONNECT_E_NOCONNECTION, io2_->Read(2, handles, 5, &id, &errors)},
      {"2.0 Write, no values", E_INVALIDARG, io2_->Write(2, handles, nullptr, 5, &id, &errors)},
      {"2.0 Write, no errors out", E_INVALIDARG, io2_->Write(2, handles, values, 5, &id, nullptr)},
      {"2.0 Write", CONNECT_E_NOCONNECTION, io2_->Write(2, handles, values, 5, &id, &errors)},
      {"Refresh2, no cancel id out", E_INVALIDARG, io2_->Refresh2(OPC_DS_CACHE, 5, nullptr)},
      {"Refresh2", CONNECT_E_NOCONNECTION, io2_->Refresh2(OPC_DS_CACHE, 5, &id)},
      {"Cancel2", E_FAIL, io2_->Cancel2(1)},
      {"SetEnable", CONNECT_E_NOCONNECTION, io2_->SetEnable(FALSE)},
      {"GetEnable, no out", CONNECT_E_NOCONNECTION, io2_->GetEnable(nullptr)},
  };
  for (const auto& c : cases) EXPECT_EQ(c.actual, c.expected) << c.call;
  // A failed call hands nothing out.
  EXPECT_EQ(id, 0u);
  EXPECT_EQ(errors, nullptr);
  EXPECT_EQ(Group().Transactions().Pending(), 0u);

  const std::vector<std::string> lines = trace.Texts();
  for (const char* expected : {"IOPCASyncIO::Read", "IOPCASyncIO::Write", "IOPCASyncIO::Refresh", "IOPCASyncIO::Cancel",
                               "IOPCASyncIO2::Read", "IOPCASyncIO2::Write", "IOPCASyncIO2::Refresh2",
                               "IOPCASyncIO2::Cancel2"}) {
    EXPECT_NE(std::find(lines.begin(), lines.end(), expected), lines.end()) << expected;
  }
  EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                          [](const std::string& line) { return line.find("Enable") != std::string::npos; }),
            0);
}

TEST_F(AsyncIO, AGroupRemovedByForceAnswersEFailOnceTheArgumentsAreChecked) {
  ASSERT_EQ(opc_->RemoveGroup(group_->ServerHandle(), TRUE), S_OK);
  OPCHANDLE* handles = handles_.data();
  VARIANT values[2] = {MakeR4(1.0f), MakeR4(2.0f)};
  DWORD id = 0;
  HRESULT* errors = nullptr;
  BOOL enabled = FALSE;
  EXPECT_EQ(io1_->Read(0, OPC_DS_CACHE, 0, handles, &id, &errors), E_INVALIDARG);
  EXPECT_EQ(io1_->Read(0, OPC_DS_CACHE, 2, handles, &id, &errors), E_FAIL);
  EXPECT_EQ(io1_->Write(0, 2, handles, values, &id, &errors), E_FAIL);
  EXPECT_EQ(io1_->Refresh(0, OPC_DS_CACHE, &id), E_FAIL);
  EXPECT_EQ(io1_->Cancel(1), E_FAIL);
  EXPECT_EQ(io2_->Read(2, handles, 5, &id, &errors), E_FAIL);
  EXPECT_EQ(io2_->Write(2, handles, values, 5, &id, &errors), E_FAIL);
  EXPECT_EQ(io2_->Refresh2(OPC_DS_CACHE, 5, &id), E_FAIL);
  EXPECT_EQ(io2_->Cancel2(1), E_FAIL);
  EXPECT_EQ(io2_->SetEnable(TRUE), E_FAIL);
  EXPECT_EQ(io2_->GetEnable(&enabled), E_FAIL);
}
