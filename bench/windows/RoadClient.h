// One client of the road benchmark, in the server's process or in a process
// of its own: it connects to the server's class object, makes one active
// group over the board's items and does the board's task. To subscribe, it
// advises a counting sink, reports itself ready and holds on until the
// server says stop. To read, it times synchronous cache reads of every item
// of its group for the board's read time, and beside them calls that do no
// work, and reports both.
#pragma once

#include "ClientFailure.h"
#include "RoadBoard.h"

#include <OpcInterfaces.h>

class OpcSession;
class ClientGroup;

class RoadClient {
 public:
  RoadClient(RoadBoardData& board, int index) : board_(board), index_(index) {}

  // Does the task on a thread that has joined the multithreaded apartment.
  // False when a call failed (recorded on the board).
  bool Run();

 private:
  ClientFailure Subscribe(ClientGroup& group);
  ClientFailure TimeReads(ClientGroup& group, IOPCServer* server);
  bool Failed(const OpcSession& session, const ClientFailure& failure);

  RoadBoardData& board_;
  const int index_;
};
