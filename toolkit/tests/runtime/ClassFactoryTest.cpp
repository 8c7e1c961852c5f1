#include "app/CVorlixApp.h"
#include "runtime/OPCClassFactory.h"
#include "support/OpcTestClient.h"
#include "support/RunningServer.h"
#include "support/ThreadCount.h"

#include "platform/opcguid.h"

#include <gtest/gtest.h>

TEST(ClassFactory, AnswersForItselfOnlyAndOutlivesEveryRelease) {
  OPCClassFactory factory;
  void* object = &factory;
  EXPECT_EQ(factory.QueryInterface(IID_IUnknown, nullptr), E_INVALIDARG);
  EXPECT_EQ(factory.QueryInterface(IID_IMarshal, &object), E_NOINTERFACE);
  EXPECT_EQ(object, nullptr);
  ASSERT_EQ(factory.QueryInterface(IID_IUnknown, &object), S_OK);
  EXPECT_EQ(object, static_cast<IClassFactory*>(&factory));
  ASSERT_EQ(factory.QueryInterface(IID_IClassFactory, &object), S_OK);
  EXPECT_EQ(factory.AddRef(), 3u);
  EXPECT_EQ(factory.Release(), 2u);
  EXPECT_EQ(factory.Release(), 1u);
  EXPECT_EQ(factory.Release(), 0u);  // still here: it lives as long as the library
  EXPECT_EQ(factory.LockServer(TRUE), S_OK);
  EXPECT_EQ(factory.LockServer(FALSE), S_OK);
}

TEST(ClassFactory, RefusedClientsLeaveNoServerBehind) {
  OPCClassFactory factory;
  void* object = &factory;
  EXPECT_EQ(factory.CreateInstance(nullptr, IID_IUnknown, &object), E_FAIL);  // not started yet
  EXPECT_EQ(object, nullptr);

  RunningServer server;
  ASSERT_TRUE(server.Started());
  const int threadsBefore = ThreadCount();
  object = &factory;
  EXPECT_EQ(factory.CreateInstance(&factory, IID_IUnknown, &object), CLASS_E_NOAGGREGATION);
  EXPECT_EQ(object, nullptr);
  for (const IID* refused : {&IID_IOPCServerPublicGroups, &IID_IPersistFile, &IID_IMalloc}) {
    object = &factory;
    EXPECT_EQ(factory.CreateInstance(nullptr, *refused, &object), E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);
  }
  EXPECT_EQ(factory.CreateInstance(nullptr, IID_IUnknown, nullptr), E_INVALIDARG);
  EXPECT_EQ(NumbrClientConnections(), 0);
  EXPECT_EQ(VorlixApp().ClientThreadCount(), 0);
  EXPECT_EQ(ThreadCount(), threadsBefore);
}
