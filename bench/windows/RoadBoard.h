// What the road benchmark's server and its clients share, in a named block of
// memory: the task every client does, and what the clients report back (items
// delivered to each, read times, failures). In-process clients use the same
// block through the server's own view of it. The counters and flags are
// lock-free atomics, which work across processes in shared memory; a client
// writes its figures before it counts itself ready, and the server reads them
// after it has seen that count.
#pragma once

#include <windows.h>

#include <atomic>
#include <string>

struct RoadBoardData {
  static constexpr int kMaxClients = 16;
  enum Task : LONG { kSubscribe = 1, kRead = 2 };

  CLSID serverClass{};
  DWORD serverProcessId = 0;
  LONG task = kSubscribe;
  // Items in each client's group, and the group's update rate.
  LONG items = 0;
  LONG rateMs = 0;
  // How long the read client goes on timing each kind of call.
  double readSeconds = 0;

  // Clients subscribed (or done reading), and the server's word to let go and end.
  std::atomic<LONG> ready{0};
  std::atomic<LONG> stop{0};
  std::atomic<LONG64> delivered[kMaxClients] = {};
  double readElapsed = 0;
  LONG64 reads = 0;
  double callElapsed = 0;
  LONG64 calls = 0;

  // Clients failed; the first one's reason, readable once errorWritten is set.
  std::atomic<LONG> failed{0};
  std::atomic<LONG> errorWritten{0};
  char error[256] = {};
};

class RoadBoard {
 public:
  RoadBoard() = default;
  ~RoadBoard();
  RoadBoard(const RoadBoard&) = delete;
  RoadBoard& operator=(const RoadBoard&) = delete;

  // Makes a new board under a name of this process's own.
  bool Create();
  // Opens the board a server made.
  bool Open(const std::wstring& name);

  const std::wstring& Name() const { return name_; }
  RoadBoardData& Data() { return *data_; }

  // The name of the benchmark's i-th tag.
  static std::string ItemName(int index);
  // Records a failure; the first one's text is kept.
  static void Fail(RoadBoardData& data, const std::string& text);
  // The first failure's text; empty when none was recorded.
  static std::string FirstError(const RoadBoardData& data);

 private:
  void* Map(HANDLE mapping);

  std::wstring name_;
  HANDLE mapping_ = nullptr;
  RoadBoardData* data_ = nullptr;
};
