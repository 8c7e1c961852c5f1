#include "Vorlix.h"
#include "support/OpcTestClient.h"
#include "support/ThreadCount.h"

#include "platform/classobject.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

namespace {

template <class Function>
Function Bind(void* library, const char* name) {
  return reinterpret_cast<Function>(dlsym(library, name));
}

}  // namespace

TEST(LibraryLoad, EveryExportBindsByNameAndTheLibraryUnloadsCleanly) {
  const int threadsBefore = ThreadCount();
  void* library = dlopen(VORLIX_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(library, nullptr) << dlerror();

  const char* const exports[] = {
      "VarnOPCsvrRevision", "SetThreadingModel", "InitVarnOPCsvr", "UninitVarnOPCsvr", "ResetVarnServerRate",
      "SetServerState", "SetVarnVendorInfo", "SetHashing", "SetVarnOPCsvrQualifier", "NumbrClientConnections",
      "RequestDisconnect", "RefreshAllClients", "UpdateRegistry", "LUMOUpdateRegistry",
      "AddLocalServiceKeysToRegistry", "UnregisterServer", "CreateTag", "CreateSecureTag", "RemoveTag",
      "SuspendTagUpdates", "UpdateTag", "UpdateTagWithTimeStamp", "UpdateTagByName", "ReadTag", "ReadTagWithTimeStamp",
      "StartUpdateTags", "UpdateTagToList", "EndUpdateTags", "SetItemLevelAlarm", "GetItemLevelAlarm",
      "SetTagProperties", "UserAEMessage", "UserAEMessageEx", "UserAEMessageEx2", "SetAEServerCallback",
      "EnableWriteNotification", "EnableWriteNotification2", "EnableDeviceRead", "EnableUnknownItemNotification",
      "EnableItemRemovalNotification", "EnableDisconnectNotification", "EnableRateNotification", "EnableEventMsgs",
      "EnableNTSecurity", "DefineNTUser", "ConvertVBDateToFileTime1", "ConvertFileTimeToVBDate1",
  };
  for (const char* name : exports) EXPECT_NE(dlsym(library, name), nullptr) << name;
  // Internal entry points stay inside.
  EXPECT_EQ(dlsym(library, "_Z9VorlixAppv"), nullptr);

  EXPECT_EQ(Bind<decltype(&VarnOPCsvrRevision)>(library, "VarnOPCsvrRevision")(), 2051);
  VARIANT value;
  VariantInit(&value);
  char name[] = "Loaded.Tag";
  const DWORD tag = Bind<decltype(&CreateTag)>(library, "CreateTag")(name, value, 0xC0, TRUE);
  EXPECT_NE(tag, VORLIX_INVALID_TAG);
  EXPECT_TRUE(Bind<decltype(&RemoveTag)>(library, "RemoveTag")(tag));

  ASSERT_EQ(dlclose(library), 0);
  EXPECT_EQ(dlopen(VORLIX_LIBRARY_PATH, RTLD_NOW | RTLD_NOLOAD), nullptr);
  EXPECT_EQ(ThreadCount(), threadsBefore);
}

TEST(LibraryLoad, UnloadingWithAClientStillAttachedLeavesNoThread) {
  const int threadsBefore = ThreadCount();
  void* library = dlopen(VORLIX_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(library, nullptr) << dlerror();
  CLSID classId = kTestServerClassId;
  ASSERT_TRUE(Bind<decltype(&InitVarnOPCsvr)>(library, "InitVarnOPCsvr")(reinterpret_cast<BYTE*>(&classId), 10));
  OpcTestClient client;
  ASSERT_EQ(client.Connect(), S_OK);
  EXPECT_EQ(Bind<decltype(&NumbrClientConnections)>(library, "NumbrClientConnections")(), 1);
  EXPECT_GT(ThreadCount(), threadsBefore);

  // The client's object goes with the library.
  client.Abandon();
  ASSERT_EQ(dlclose(library), 0);
  EXPECT_EQ(dlopen(VORLIX_LIBRARY_PATH, RTLD_NOW | RTLD_NOLOAD), nullptr);
  EXPECT_EQ(ThreadCount(), threadsBefore);
  EXPECT_EQ(client.Connect(), REGDB_E_CLASSNOTREG);
}
