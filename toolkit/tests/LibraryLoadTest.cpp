#include "Vorlix.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <dlfcn.h>

namespace {

int ThreadCount() {
  int count = 0;
  DIR* tasks = opendir("/proc/self/task");
  while (dirent* entry = readdir(tasks)) count += entry->d_name[0] != '.' ? 1 : 0;
  closedir(tasks);
  return count;
}

template <class Function>
Function Bind(void* library, const char* name) {
  return reinterpret_cast<Function>(dlsym(library, name));
}

}  // namespace

TEST(LibraryLoad, EveryDefinedExportBindsByNameAndTheLibraryUnloadsCleanly) {
  const int threadsBefore = ThreadCount();
  void* library = dlopen(VORLIX_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(library, nullptr) << dlerror();

  const char* const exports[] = {
      "VarnOPCsvrRevision", "SetVarnVendorInfo", "SetVarnOPCsvrQualifier", "SetHashing",
      "CreateTag",          "CreateSecureTag",   "RemoveTag",              "SuspendTagUpdates",
      "EnableEventMsgs",    "EnableUnknownItemNotification",
      "UpdateTag",          "UpdateTagWithTimeStamp", "UpdateTagByName",    "ReadTag",
      "ReadTagWithTimeStamp", "StartUpdateTags",     "UpdateTagToList",    "EndUpdateTags",
      "RefreshAllClients",  "EnableWriteNotification", "EnableWriteNotification2",
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
