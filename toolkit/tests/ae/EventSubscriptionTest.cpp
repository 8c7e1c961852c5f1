#include "support/OpcTestClient.h"
#include "support/RecordingAECallback.h"
#include "support/RunningServer.h"
#include "support/TraceCapture.h"

#include "platform/IOPCEventSubscriptionMgt.h"
#include "platform/opcguid.h"
#include "platform/widetext.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A client connected to a running server, with the host's recording AE
// callback object installed.
class EventSubscription : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(running_.Started());
    SetAEServerCallback(FALSE, host_);
    ASSERT_EQ(client_.Connect(), S_OK);
  }

  // The subscription's handle, as the callback object heard it at creation.
  std::string CreatedHandle(size_t call = 0) const {
    const std::string created = host_->Calls().at(call);
    return created.substr(7, created.find(' ', 7) - 7);
  }

  RunningServer running_;
  RecordingAECallback* host_ = new RecordingAECallback;
  OpcTestClient client_;
};

std::vector<std::string> Texts(const TraceCapture& capture) {
  std::vector<std::string> lines;
  for (const TraceCapture::Line& line : capture.Lines()) lines.push_back(line.text);
  return lines;
}

}  // namespace

TEST_F(EventSubscription, ManagementGoesToTheCallbackObjectWithTheSubscriptionHandle) {
  IOPCEventSubscriptionMgt* subscription = nullptr;
  ASSERT_EQ(client_.CreateEventSubscription(IID_IOPCEventSubscriptionMgt, &subscription, 42, FALSE), S_OK);
  const std::string handle = CreatedHandle();

  DWORD categories[] = {2, 3};
  WideString area = OLESTR("Plant");
  WideString source = OLESTR("Tank1");
  LPWSTR areas[] = {area.data()};
  LPWSTR sources[] = {source.data()};
  EXPECT_EQ(subscription->SetFilter(OPC_CONDITION_EVENT, 2, categories, 100, 800, 1, areas, 1, sources), S_OK);

  BOOL active = FALSE;
  DWORD bufferTime = 0;
  DWORD maxSize = 0;
  OPCHANDLE clientHandle = 0;
  EXPECT_EQ(subscription->GetState(&active, &bufferTime, &maxSize, &clientHandle), S_OK);
  EXPECT_EQ(active, TRUE);
  EXPECT_EQ(bufferTime, 250u);
  EXPECT_EQ(clientHandle, 77u);

  BOOL activate = TRUE;
  DWORD revisedBufferTime = 0;
  DWORD revisedMaxSize = 0;
  EXPECT_EQ(subscription->SetState(&activate, nullptr, &maxSize, 9, &revisedBufferTime, &revisedMaxSize), S_OK);
  EXPECT_EQ(revisedBufferTime, 500u);
  EXPECT_EQ(revisedMaxSize, 5u);

  // What the host's object leaves to the library's default.
  DWORD count = 99;
  DWORD* ids = nullptr;
  EXPECT_EQ(subscription->GetReturnedAttributes(2, &count, &ids), E_NOTIMPL);
  EXPECT_EQ(subscription->SelectReturnedAttributes(2, 2, categories), E_NOTIMPL);
  EXPECT_EQ(subscription->Refresh(1), E_NOTIMPL);
  EXPECT_EQ(subscription->CancelRefresh(1), E_NOTIMPL);
  EXPECT_EQ(subscription->GetFilter(&bufferTime, &count, &ids, &bufferTime, &maxSize, &count, nullptr, &count, nullptr),
            E_INVALIDARG);

  const std::vector<std::string> expected = {
      "Create " + handle + " 0 1 42",
      "Filter " + handle + " 4 2 3 100-800 Plant Tank1",
      "GetState " + handle,
      "State " + handle + " 1 - 10 9",
  };
  EXPECT_EQ(host_->Calls(), expected);
  EXPECT_EQ(host_->CallsUnderLock(), 0);
}

TEST_F(EventSubscription, WithoutACallbackObjectManagementIsNotImplemented) {
  IOPCEventSubscriptionMgt* subscription = nullptr;
  ASSERT_EQ(client_.CreateEventSubscription(IID_IOPCEventSubscriptionMgt, &subscription), S_OK);
  SetAEServerCallback(FALSE, nullptr);
  DWORD count = 99;
  DWORD* ids = nullptr;
  EXPECT_EQ(subscription->GetReturnedAttributes(1, &count, nullptr), E_INVALIDARG);
  EXPECT_EQ(count, 0u);
  EXPECT_EQ(subscription->GetReturnedAttributes(1, &count, &ids), E_NOTIMPL);
  EXPECT_EQ(subscription->SetFilter(OPC_ALL_EVENTS, 0, nullptr, 1, 1000, 0, nullptr, 0, nullptr), E_NOTIMPL);
  BOOL active = FALSE;
  DWORD time = 0;
  OPCHANDLE handle = 0;
  EXPECT_EQ(subscription->GetState(&active, &time, &time, &handle), E_NOTIMPL);
  EXPECT_EQ(subscription->SetState(nullptr, nullptr, nullptr, 1, &time, &time), E_NOTIMPL);
  EXPECT_EQ(subscription->Refresh(0), E_NOTIMPL);
}

TEST_F(EventSubscription, QueryInterfaceAndReferencesAreTraced) {
  IUnknown* subscription = nullptr;
  ASSERT_EQ(client_.CreateEventSubscription(IID_IUnknown, &subscription), S_OK);
  TraceCapture capture;
  IOPCEventSubscriptionMgt* management = nullptr;
  ASSERT_EQ(subscription->QueryInterface(IID_IOPCEventSubscriptionMgt, reinterpret_cast<void**>(&management)), S_OK);
  IOPCEventSubscriptionMgt* again = nullptr;
  ASSERT_EQ(management->QueryInterface(IID_IOPCEventSubscriptionMgt, reinterpret_cast<void**>(&again)), S_OK);
  EXPECT_EQ(again, management);
  void* none = subscription;
  EXPECT_EQ(subscription->QueryInterface(IID_IOPCEventServer, &none), E_NOINTERFACE);
  EXPECT_EQ(none, nullptr);
  EXPECT_EQ(subscription->QueryInterface(IID_IUnknown, nullptr), E_INVALIDARG);
  again->Release();
  EXPECT_EQ(management->Release(), 1u);
  const std::vector<std::string> expected = {
      "COPCEventSubscription::QueryInterface IID_IOPCEventSubscriptionMgt",
      "COPCEventSubscription::AddRef(2)",
      "IOPCEventSubscriptionMgt::QueryInterface() [defered to OPCEventSubscription]",
      "COPCEventSubscription::QueryInterface IID_IOPCEventSubscriptionMgt",
      "COPCEventSubscription::AddRef(3)",
      "COPCEventSubscription::QueryInterface",
      "COPCEventSubscription::QueryInterface E_INVALIDARG",
      "IOPCEventSubscriptionMgt::Release() [defered to OPCEventSubscription]",
      "COPCEventSubscription::Release(3)",
      "IOPCEventSubscriptionMgt::Release() [defered to OPCEventSubscription]",
      "COPCEventSubscription::Release(2)",
  };
  EXPECT_EQ(Texts(capture), expected);
}

TEST_F(EventSubscription, ASubscriptionTheClientStillHoldsOutlivesItsServer) {
  IOPCEventSubscriptionMgt* subscription = nullptr;
  ASSERT_EQ(client_.CreateEventSubscription(IID_IOPCEventSubscriptionMgt, &subscription), S_OK);
  const std::string handle = CreatedHandle();
  client_.Release(client_.Server());
  // The worker deletes the server once it has seen it go.
  UninitVarnOPCsvr();
  EXPECT_EQ(host_->Calls().back(), "Remove " + handle);

  // The callback object never hears the handle again; the last Release deletes it.
  DWORD count = 0;
  DWORD* ids = nullptr;
  EXPECT_EQ(subscription->GetReturnedAttributes(1, &count, &ids), E_FAIL);
  EXPECT_EQ(client_.Release(subscription), 0u);
  EXPECT_EQ(host_->Calls().size(), 2u);
  EXPECT_EQ(host_->CallsUnderLock(), 0);
}
