#include "support/OpcTestClient.h"
#include "support/RunningServer.h"
#include "support/TraceCapture.h"

#include "platform/opcguid.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

TEST(OfferedInterfaces, EachHasOneHolderThatTracesAndDefersToTheServer) {
  RunningServer server;
  ASSERT_TRUE(server.Started());
  OpcTestClient client;
  ASSERT_EQ(client.Connect(), S_OK);
  IUnknown* object = client.Server();
  const struct {
    const IID& iid;
    const char* holder;
    // What OPCServer::QueryInterface traces, and the holder's own QueryInterface
    // (NULL: the container answers for itself).
    const char* serverQuery;
    const char* holderQuery;
  } offered[] = {
      {IID_IOPCBrowseServerAddressSpace, "IOPCBrowseServerAddressSpace",
       "OPCServer::QueryInterface IID_IOPCBrowseServerAddressSpace",
       "IOPCBrowseServerAddressSpace::QueryInterface()  [defered to OPCServer]"},
      {IID_IOPCItemProperties, "IOPCItemProperties", "OPCServer::QueryInterface IID_IOPCItemProperties",
       "IOPCItemProperties::QueryInterface() [defered to OPCServer]"},
      {IID_IConnectionPointContainer, "OPCServerConnectionContainer",
       "OPCServer::QueryInterface IID_IConnectionPointContainer", nullptr},
      {IID_IOPCSecurityNT, "IOPCSecurityNT", "OPCServer::QueryInterface IID_IOPCSecurityNT",
       "IOPCSecurityNT::QueryInterface()  [defered to OPCServer]"},
  };
  for (const auto& row : offered) {
    TraceCapture capture;
    IUnknown* first = nullptr;
    IUnknown* second = nullptr;
    ASSERT_EQ(object->QueryInterface(row.iid, reinterpret_cast<void**>(&first)), S_OK) << row.holder;
    ASSERT_EQ(object->QueryInterface(row.iid, reinterpret_cast<void**>(&second)), S_OK);
    EXPECT_EQ(first, second);
    EXPECT_EQ(first->AddRef(), 4u);
    EXPECT_EQ(first->Release(), 3u);
    void* unknown = nullptr;
    if (row.holderQuery != nullptr) {
      ASSERT_EQ(first->QueryInterface(IID_IUnknown, &unknown), S_OK);
      EXPECT_EQ(unknown, object);
      EXPECT_EQ(static_cast<IUnknown*>(unknown)->Release(), 3u);
    }
    EXPECT_EQ(second->Release(), 2u);
    EXPECT_EQ(first->Release(), 1u);

    const std::vector<std::string> lines = capture.Texts();
    const std::string holder = row.holder;
    ASSERT_GE(lines.size(), 7u);
    EXPECT_EQ(lines[0], row.serverQuery);
    EXPECT_EQ(lines[1], "OPCServer::AddRef(2)");
    EXPECT_EQ(lines[4], holder + "::AddRef() [defered to OPCServer]");
    EXPECT_EQ(lines[6], holder + "::Release() [defered to OPCServer]");
    if (row.holderQuery != nullptr) {
      ASSERT_GE(lines.size(), 9u);
      EXPECT_EQ(lines[8], row.holderQuery);
    }
    EXPECT_EQ(lines.back(), "OPCServer::Release(2)");
  }
}
