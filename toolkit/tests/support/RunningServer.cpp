#include "support/RunningServer.h"

#include "CVorlixApp.h"
#include "support/OpcTestClient.h"

#include <dirent.h>

#include <thread>

RunningServer::RunningServer(UINT rate) {
  UseShortClientWait();
  CLSID classId = kTestServerClassId;
  started_ = InitVarnOPCsvr(reinterpret_cast<BYTE*>(&classId), rate) != FALSE;
}

RunningServer::~RunningServer() { UninitVarnOPCsvr(); }

void UseShortClientWait() { VorlixApp().SetClientWaitLimit({10, 5}); }

int ThreadCount() {
  // A sanitizer's runtime starts a thread of its own along with the process's
  // first one; start and end a thread once so that every count includes it.
  static const bool helpersStarted = (std::thread([] {}).join(), true);
  (void)helpersStarted;
  int count = 0;
  DIR* tasks = opendir("/proc/self/task");
  while (dirent* entry = readdir(tasks)) count += entry->d_name[0] != '.' ? 1 : 0;
  closedir(tasks);
  return count;
}
