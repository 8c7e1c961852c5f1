// One OPC group of a client connection, owned by its OPCServer: the client's
// items, the group's state, and its interfaces, offered through interface
// holders made on first request. The item list is guarded by the server lock
// (there is no lock per group); host callbacks and client sinks are called
// with it released.
//
// Lifetime (see ObjectLifetime): the server's list, each client reference and
// each walk over a snapshot of the list pin the group, and the last pin to go
// deletes it; so a group a client still holds outlives its removal and its
// server, and one a walk is inside outlives its removal. Besides its counts a
// group is in one of three states: listed; removed (out of its server's list,
// while clients still hold it: calls that would change it fail); retired
// (removed by force while held: it let go of its items, and every method of
// its interfaces but those of IUnknown fails). A group that goes lets go of
// its items as RemoveItems does: their tags count them no more and the host
// hears of it.
#pragma once

#include "com/HolderSlot.h"
#include "com/InterfaceTable.h"
#include "com/ObjectLifetime.h"
#include "da/group/OPCGroupItem.h"
#include "da/io/OPCTransactionQueue.h"

#include "platform/opcda.h"
#include "platform/unknown.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

class OPCGroupConnectionContainer;
class IOPCDataObjectHolder;
class OPCServer;
class OPCTag;
class TagLive;

class OPCGroup final : public IUnknown {
 public:
  // What a group is made with.
  struct Settings {
    std::string name;
    BOOL active = FALSE;
    DWORD updateRate = 0;
    OPCHANDLE clientHandle = 0;
    LONG timeBias = 0;
    FLOAT percentDeadband = 0.0f;
    LCID localeId = 0;
  };

  // Made listed, with its list's pin, for the server that lists it.
  OPCGroup(OPCServer& server, const Settings& settings);
  OPCGroup(const OPCGroup&) = delete;
  OPCGroup& operator=(const OPCGroup&) = delete;

  // IUnknown, traced. A null out-pointer gives E_INVALIDARG; an interface the
  // group does not offer gives a null out-pointer and E_NOINTERFACE. A Release
  // the client holds no reference for changes nothing and answers 0.
  HRESULT QueryInterface(REFIID riid, void** ppvObject) override;
  ULONG AddRef() override;
  ULONG Release() override;

  // The state. The name is read and changed under the server lock (each call
  // takes it); the other values are single words that the client's worker
  // reads without it.
  std::string Name() const;
  void SetName(std::string name);
  Settings CurrentSettings() const;
  DWORD UpdateRate() const { return updateRate_.load(); }
  void SetUpdateRate(DWORD rate) { updateRate_ = rate; }
  BOOL Active() const { return active_.load(); }
  void SetActive(BOOL active) { active_ = active; }
  OPCHANDLE ClientHandle() const { return clientHandle_.load(); }
  void SetClientHandle(OPCHANDLE handle) { clientHandle_ = handle; }
  FLOAT PercentDeadband() const { return percentDeadband_.load(); }
  void SetPercentDeadband(FLOAT deadband) { percentDeadband_ = deadband; }
  LCID LocaleId() const { return localeId_.load(); }
  void SetLocaleId(LCID localeId) { localeId_ = localeId; }
  LONG TimeBias() const { return timeBias_.load(); }
  void SetTimeBias(LONG bias) { timeBias_ = bias; }

  // The group's own identity, from the one table of server handles, so that
  // no item or event subscription carries it while the group lives.
  OPCHANDLE Identity() const { return identity_; }
  OPCHANDLE ServerHandle() const { return serverHandle_.load(); }
  void SetServerHandle(OPCHANDLE handle) { serverHandle_ = handle; }
  LONG ReferenceCount() const { return life_.References(); }

  // The owning server while it lists the group, NULL once removed. Read and
  // used under the server lock: the server unlists its groups under that lock
  // before it goes.
  OPCServer* Server() const { return Removed() ? nullptr : &server_; }
  // Out of its server's list (removed, or its server gone): calls that would
  // change the group fail from then on.
  bool Removed() const { return state_.load() != State::kListed; }
  bool Retired() const { return state_.load() == State::kRetired; }

  // The server lets go of the group: Unlist, under the server lock, as it
  // takes it out of its list; ReleaseFromList afterwards, without the lock
  // (it takes the list's pin away, which may delete the group).
  void Unlist();
  void ReleaseFromList() { Unpin(); }
  // Retires a removed group that clients still hold: it lets go of its items
  // and queued requests now. Called without the server lock.
  void Retire();

  // Where the group's items come in an update: after those of clients made
  // earlier, then after those of the client's groups made earlier.
  struct UpdateOrder {
    uint64_t client;
    uint64_t group;
    bool operator<(const UpdateOrder& other) const {
      return std::tie(client, group) < std::tie(other.client, other.group);
    }
  };
  UpdateOrder Order() const { return order_; }

  // Keeps the group alive while a walk or a call is inside it; the last unpin
  // deletes it (never under the server lock).
  void Pin() { life_.Pin(); }
  void Unpin();

  // The items, kept in the order they were added. For these the caller holds
  // the server lock.
  int ItemCount() const { return static_cast<int>(items_.size()); }
  // The item at that position, or NULL.
  OPCGroupItem* ItemAt(int index) const;
  // The active items whose change no delivery has sent yet, the active
  // items, and the items with the given server handles (a handle named twice
  // gives its item twice; unknown handles give nothing), each in order.
  std::vector<OPCGroupItem*> ChangedActiveItems() const;
  std::vector<OPCGroupItem*> ActiveItems() const;
  std::vector<OPCGroupItem*> ItemsWithHandles(const std::vector<OPCHANDLE>& serverHandles) const;
  // The item with that server handle, or NULL.
  OPCGroupItem* FindItem(OPCHANDLE serverHandle) const;
  // Gives the item its server handle and appends it; its tag, when there is
  // one, counts one client item more, and the item takes its place among the
  // client items naming the tag. The item's server handle.
  OPCHANDLE AttachItem(std::unique_ptr<OPCGroupItem> item);
  // The same for a caller that has just found `tag`, the node of the item's
  // full name (or NULL when there is none), under the lock it still holds.
  OPCHANDLE AttachItem(std::unique_ptr<OPCGroupItem> item, OPCTag* tag);

  // The item operations from here on take the server lock themselves.
  // Room for `more` items about to be added (as many as one AddItems call
  // names), so that a large call grows the list once and to its size.
  void ExpectItems(size_t more);
  // The client handle of the item with that server handle; the server handle
  // itself when no item has it (any more).
  OPCHANDLE ClientHandleOf(OPCHANDLE serverHandle) const;
  // Copies of every item, in order (as for a clone or a snapshot).
  std::vector<std::unique_ptr<OPCGroupItem>> CopyItems() const;
  // Attaches a copy of every item to the other group.
  void CopyItemsTo(OPCGroup& other) const;
  // Whether an item names the tag.
  BOOL HasItemForTag(const OPCTag& tag) const;
  // How many items name exactly this full tag name (a walk over the items
  // naming it, of every group).
  int CountItemsNamed(const std::string& fullName) const;
  // Takes the items with those server handles out of the group, in order,
  // in one pass under the server lock, and then tells the host what that
  // changed for their tags, in the same order (see ItemHostNotices). Called
  // without the server lock. Result i is S_OK, or OPC_E_INVALIDHANDLE when no
  // item of the group has handle i (any more: a handle named twice).
  void RemoveItems(DWORD count, const OPCHANDLE* serverHandles, HRESULT* results);

  // The asynchronous requests waiting for their results to be sent.
  OPCTransactionQueue& Transactions() { return transactions_; }
  // The group's IDataObject, or NULL while no client asked for it; it lives
  // as long as the group.
  IOPCDataObjectHolder* DataObject() const;
  // Whether a Data Access 1.0 client registered a sink for read results (a
  // data stream with or without time) or for write results.
  BOOL HasReadSink() const;
  BOOL HasWriteSink() const;

  // The group's share of its server's per-client work: queued asynchronous
  // requests (each sent to the client's sinks, in the order they came, with
  // the server lock released), the data-change scan, copying updated tags
  // into its items, and the items' access rights for the calling client.
  void DrainAsyncRequests();
  // One pulse of the group's update timer; the server serialises the scans
  // of its groups. An active group counts the server's base rate towards its
  // update rate and, once that is reached or when `forced`, sends its changed
  // active items to its client's sinks. An inactive group (or one its server
  // let go of) does nothing and its count stays where it was.
  void Scan(BOOL forced);
  // Milliseconds counted towards the update rate since the group last sent.
  DWORD ElapsedTime() const { return elapsed_.load(); }
  // Copies an updated tag's value, quality and time stamp into one of the
  // group's items naming it. The item counts as changed when the value passes
  // the group's deadband against the last value that counted, or the quality
  // changed; it then stays changed until a delivery sends it. The caller
  // holds the server lock. (The tag's list of client items brings an update
  // to its items: see TagClientItems.)
  void CopyTagInto(const TagLive& tag, OPCGroupItem& item) const;
  // Gives every item the rights the calling client now has on its tag; an
  // item whose tag is gone gets none. TRUE when every item's tag was found.
  BOOL RecheckRights();

  // Transaction ids of asynchronous requests: never 0.
  DWORD NextTransactionId();

  // The IOPCDataCallback side: the connection-point container, or NULL while
  // no client asked for it; whether a sink is connected; and whether
  // subscription data is sent to it (FALSE without a container; setting it
  // without one changes nothing and answers FALSE).
  OPCGroupConnectionContainer* CallbackContainer() const;
  BOOL HasCallbackSink() const;
  BOOL GetCallbackEnable() const;
  BOOL SetCallbackEnable(BOOL enable);

 private:
  // Where an offered interface's holder is kept.
  enum HolderIndex {
    kItemMgtHolder,
    kSyncIOHolder,
    kAsyncIOHolder,
    kAsyncIO2Holder,
    kStateMgtHolder,
    kDataObjectHolder,
    kConnectionContainerHolder,
    kHolderCount
  };
  static const InterfaceTableRow<OPCGroup> kOfferedInterfaces[];

  enum class State { kListed, kRemoved, kRetired };

  ~OPCGroup();
  // Lets go of every item as RemoveItems does. Called without the server lock.
  void ReleaseItems();

  OPCServer& server_;
  std::atomic<State> state_{State::kListed};
  // Made with the list's pin.
  ObjectLifetime life_{"OPCGroup", 1};
  std::string name_;
  std::atomic<DWORD> updateRate_;
  std::atomic<FLOAT> percentDeadband_;
  std::atomic<LCID> localeId_;
  std::atomic<LONG> timeBias_;
  std::atomic<BOOL> active_;
  const OPCHANDLE identity_;
  const UpdateOrder order_;
  std::atomic<OPCHANDLE> serverHandle_{0};
  std::atomic<OPCHANDLE> clientHandle_;
  std::atomic<DWORD> elapsed_{0};
  std::atomic<DWORD> transactionCounter_{0};
  HolderSlot holders_[kHolderCount];
  std::vector<std::unique_ptr<OPCGroupItem>> items_;
  // Records still queued when the group goes are dropped undelivered.
  OPCTransactionQueue transactions_;
};
