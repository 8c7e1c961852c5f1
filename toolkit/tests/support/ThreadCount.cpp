#include "support/ThreadCount.h"

#include "platform/threads.h"

#include <dirent.h>

#include <thread>

namespace {

int ListedThreads() {
  int count = 0;
  DIR* tasks = opendir("/proc/self/task");
  while (dirent* entry = readdir(tasks)) count += entry->d_name[0] != '.' ? 1 : 0;
  closedir(tasks);
  return count;
}

}  // namespace

int ThreadCount() {
  // A sanitizer's runtime starts a thread of its own along with the process's
  // first one; start and end a thread once so that every count includes it.
  static const bool helpersStarted = (std::thread([] {}).join(), true);
  (void)helpersStarted;
  // A thread that has just been joined can stay listed for a moment: count
  // until two counts a millisecond apart agree.
  int count = ListedThreads();
  for (int tries = 0; tries < 1000; ++tries) {
    Sleep(1);
    const int again = ListedThreads();
    if (again == count) break;
    count = again;
  }
  return count;
}
