// One OPC group of a client connection, owned by its OPCServer. It grows here
// into the full COM object with its items, state, I/O interfaces and scan;
// until then a group has a name, an update rate and no items, so every
// operation its server runs on it finds nothing to do.
//
// Lifetime: the server's list holds the group, clients hold COM references,
// and walks over a snapshot of the list pin it. When the server lets go of it
// (Detach), it is deleted by whichever of these goes last; so a group a client
// still holds outlives its server, and one a walk is inside outlives its removal.
#pragma once

#include "platform/opcda.h"
#include "platform/unknown.h"

#include <atomic>
#include <string>
#include <vector>

class OPCServer;
class OPCTag;

class OPCGroup final : public IUnknown {
 public:
  OPCGroup(OPCServer* server, std::string name, DWORD updateRate);
  OPCGroup(const OPCGroup&) = delete;
  OPCGroup& operator=(const OPCGroup&) = delete;

  HRESULT QueryInterface(REFIID riid, void** ppvObject) override;
  ULONG AddRef() override;
  ULONG Release() override;

  const std::string& Name() const { return name_; }
  DWORD UpdateRate() const { return updateRate_; }
  // The group's own identity, unique in the process while the group lives.
  OPCHANDLE Identity() const { return identity_; }
  OPCHANDLE ServerHandle() const { return serverHandle_; }
  void SetServerHandle(OPCHANDLE handle) { serverHandle_ = handle; }
  // The owning server, NULL once the server has let go of the group.
  OPCServer* Server() const { return server_.load(); }
  bool Removed() const { return Server() == nullptr; }

  // The server lets go of the group.
  void Detach();
  // Keeps the group alive while a walk is inside it.
  void Pin();
  void Unpin();

  // The group's share of its server's per-client work: queued asynchronous
  // requests, the data-change scan, copying updated tags into its items, and
  // the questions about its items. Each returns what an empty group gives.
  void DrainAsyncRequests();
  void Scan(BOOL forced);
  void PropagateTag(const OPCTag& tag);
  void PropagateTagList(const std::vector<const OPCTag*>& tags);
  int CountItemsNamed(const std::string& tagName) const;
  BOOL HasItemForTag(const OPCTag& tag) const;
  BOOL RecheckRights();

 private:
  ~OPCGroup();
  // Drops one hold (list, COM reference or pin); the last one deletes the group.
  void DropHold();

  std::atomic<OPCServer*> server_;
  const std::string name_;
  const DWORD updateRate_;
  const OPCHANDLE identity_;
  OPCHANDLE serverHandle_ = 0;
  std::atomic<LONG> references_{0};
  // The server's list, the COM references and the pins.
  std::atomic<LONG> holds_{1};
};
