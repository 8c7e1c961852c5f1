// One group of a soak client: added through the client's IOPCServer with its
// I/O interfaces at hand, a data-callback sink and two Data Access 1.0 stream
// sinks that come and go, and items drawn from the host's names. Each of its
// steps is one client call or a few, with random arguments; the group keeps
// the last value each item received, for the check at the end. Make, use and
// destroy it on one thread.
#pragma once

#include "support/OpcTestGroup.h"
#include "support/RecordingAdviseSink.h"
#include "support/TestDataCallback.h"
#include "support/soak/SoakHost.h"
#include "support/soak/SoakTally.h"

#include "platform/IDataObject.h"
#include "platform/IOPCAsyncIO.h"
#include "platform/IOPCAsyncIO2.h"
#include "platform/IOPCSyncIO.h"

#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

class SoakGroup {
 public:
  // AddGroup on `server`; Added() tells whether it was made.
  SoakGroup(IOPCServer* server, SoakTally& tally, std::mt19937& random);
  // Releases what is still held; the sinks are kept alive (leaked) when the
  // library never lets go of them, so that a late call cannot reach freed memory.
  ~SoakGroup();
  SoakGroup(const SoakGroup&) = delete;
  SoakGroup& operator=(const SoakGroup&) = delete;

  bool Added() const { return SUCCEEDED(group_->Added()); }
  OPCHANDLE ServerHandle() const { return group_->ServerHandle(); }

  // One random step: item management, state, sinks, or a read, write,
  // refresh or cancel, synchronous or asynchronous, of either generation.
  void RandomStep();
  // The client removed the group through IOPCServer (its interfaces stay held).
  void MarkRemoved() { removed_ = true; }

  // With the host and every client quiet: makes the group and its items
  // active, asks for a refresh and compares each item's last received value
  // (and a synchronous cache read) with its tag's.
  void CheckFinalValues(const SoakHost& host);

  // Leaving cleanly: the sinks unadvised.
  void Unadvise();
  // Releases every interface; the advised sinks stay advised.
  void Release();

 private:
  struct Item {
    OPCHANDLE server;
    OPCHANDLE client;
    std::string name;
    VARTYPE requested;
  };

  void AddItems();
  void RemoveItems();
  void SetActiveState();
  void SetState();
  void EnumerateItems();
  void CloneAndDrop();
  void SetDatatypes();
  void ToggleCallback();
  void ToggleStreams();
  void ReadSync();
  void WriteSync();
  void AsyncRead2();
  void AsyncWrite2();
  void Refresh2();
  void AsyncRead1();
  void AsyncWrite1();
  void Refresh1();

  void Advise();
  // After the group is gone: whether the library let go of every sink; a
  // problem is noted when it did not.
  bool SinksReleased();
  std::vector<OPCHANDLE> SomeHandles();
  std::vector<VARIANT> ValuesFor(size_t count);
  // Takes the callback's calls into the last received values.
  void Fold();
  void Note(HRESULT hr, const char* call);

  SoakTally& tally_;
  std::mt19937& random_;
  std::unique_ptr<OpcTestGroup> group_;
  IOPCSyncIO* sync_ = nullptr;
  IOPCAsyncIO2* async2_ = nullptr;
  IOPCAsyncIO* async1_ = nullptr;
  IDataObject* data_ = nullptr;
  std::unique_ptr<TestDataCallback> callback_;
  IConnectionPoint* point_ = nullptr;
  DWORD cookie_ = 0;
  std::unique_ptr<RecordingAdviseSink> dataSink_;
  std::unique_ptr<RecordingAdviseSink> writeSink_;
  DWORD dataConnection_ = 0;
  DWORD writeConnection_ = 0;
  std::vector<Item> items_;
  OPCHANDLE nextClientHandle_ = 1;
  DWORD nextTransaction_ = 1;
  DWORD lastCancelId_ = 0;
  DWORD lastTransaction1_ = 0;
  bool removed_ = false;
  std::map<OPCHANDLE, TestDataCallback::Item> lastReceived_;
};
