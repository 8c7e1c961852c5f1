// The library's one application object: all library-wide state, built when the
// library is loaded and taken down when it is unloaded. Each area's logic lives
// in the component that owns its state; the member functions here are the entry
// points the rest of the library calls.
#pragma once

#include "HostCallback.h"
#include "ServerLock.h"
#include "TaskMemory.h"
#include "TraceSink.h"
#include "Vorlix.h"

#include <atomic>
#include <string>
#include <vector>

class CVorlixApp {
 public:
  CVorlixApp();
  ~CVorlixApp();
  CVorlixApp(const CVorlixApp&) = delete;
  CVorlixApp& operator=(const CVorlixApp&) = delete;

  // The server-wide lock. EnterLock and LeaveLock are the same calls under the
  // names the tag-database paths use.
  void Lock() { serverLock_.Enter(); }
  void Unlock() { serverLock_.Leave(); }
  void EnterLock() { Lock(); }
  void LeaveLock() { Unlock(); }
  ServerLock& GetServerLock() { return serverLock_; }

  // Tracing to the host's EVENTMSGPROC.
  void TraceMessage(const char* text) const { trace_.Trace(text); }
  BOOL EnableEventMessages(EVENTMSGPROC proc) { return trace_.Enable(proc); }

  // Task memory: every block handed to a COM client comes from the task
  // allocator, which the server takes when it starts (NULL blocks before).
  void SetTaskAllocator(IMalloc* allocator) { taskMemory_.SetAllocator(allocator); }
  void* TaskAlloc(SIZE_T bytes) const { return taskMemory_.Alloc(bytes); }
  WCHAR* AllocWideFromAnsi(const char* text, BOOL useTask) const {
    return taskMemory_.AllocWideFromAnsi(text, useTask);
  }
  void TaskFree(void* block, BOOL useTask) const { taskMemory_.Free(block, useTask); }

  std::string GetErrorText(HRESULT code) const;

  // The vendor text of the status reports.
  std::string VendorInfo();
  void SetVendorInfo(const char* vendor);

  DWORD ServerState() const { return serverState_.load(); }
  BOOL LevelAlarmEvents() const { return levelAlarmEvents_.load(); }

  // Item names.
  char Delimiter() const { return delimiter_.load(); }
  // Sets the delimiter unless it is 0; the delimiter in force.
  char SetDelimiter(char delimiter);
  std::string MakeFullName(const std::string& accessPath, const std::string& itemId) const;
  int SplitName(const std::string& name, std::vector<std::string>& components) const;

  // Host callbacks.
  HostCallback<UNKNOWNITEMPROC>& UnknownItemProc() { return unknownItemProc_; }

 private:
  void InitInstance();

  ServerLock serverLock_;
  TraceSink trace_;
  TaskMemory taskMemory_;
  std::atomic<BOOL> levelAlarmEvents_{TRUE};
  std::atomic<char> delimiter_{'.'};
  std::string vendorInfo_;
  std::atomic<DWORD> serverState_{0};
  HostCallback<UNKNOWNITEMPROC> unknownItemProc_;
};

// The application object; it exists from library load to unload.
CVorlixApp& VorlixApp();
