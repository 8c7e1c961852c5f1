// What the road benchmark's server and its clients share, in a named block of
// memory: the task every client does, and what the clients report back (items
// delivered to each, read times, failures). In-process clients use the same
// block through the server's own view of it.
#pragma once

#include <windows.h>

#include <string>

struct RoadBoardData {
  static constexpr int kMaxClients = 16;
  enum Task : LONG { kSubscribe = 1, kRead = 2 };

  CLSID serverClass;
  LONG task;
  // Items in each client's group, and the group's update rate.
  LONG items;
  LONG rateMs;
  // How long the read client goes on reading.
  double readSeconds;

  // Clients subscribed (or done reading), clients failed, and the server's
  // word to let go and end.
  volatile LONG ready;
  volatile LONG failed;
  volatile LONG stop;
  volatile LONG64 delivered[kMaxClients];
  double readElapsed;
  LONG64 reads;
  double callElapsed;
  LONG64 calls;
  // The first failure, as text.
  char error[256];
};

class RoadBoard {
 public:
  RoadBoard() = default;
  ~RoadBoard();
  RoadBoard(const RoadBoard&) = delete;
  RoadBoard& operator=(const RoadBoard&) = delete;

  // Makes a new, zeroed board under a name of this process's own.
  bool Create();
  // Opens the board a server made.
  bool Open(const std::wstring& name);

  const std::wstring& Name() const { return name_; }
  RoadBoardData& Data() { return *data_; }

  // The name of the benchmark's i-th tag.
  static std::string ItemName(int index);
  // Records a client's failure; the first one's text is kept.
  static void Fail(RoadBoardData& data, const std::string& text);

 private:
  bool Map(HANDLE mapping);

  std::wstring name_;
  HANDLE mapping_ = nullptr;
  RoadBoardData* data_ = nullptr;
};
