#include "da/group/OPCGroup.h"

#include "app/CVorlixApp.h"
#include "da/group/IOPCGroupStateMgtHolder.h"
#include "da/group/IOPCItemMgtHolder.h"
#include "da/group/ItemHostNotices.h"
#include "da/group/OPCGroupConnectionContainer.h"
#include "da/group/PercentDeadband.h"
#include "da/io/IOPCAsyncIO2Holder.h"
#include "da/io/IOPCAsyncIOHolder.h"
#include "da/io/IOPCDataObjectHolder.h"
#include "da/io/IOPCSyncIOHolder.h"
#include "da/io/TransactionDelivery.h"
#include "da/server/OPCServer.h"
#include "tags/OPCTag.h"

#include "platform/handletable.h"
#include "platform/opcguid.h"

#include <algorithm>

namespace {

// Groups in the order they were made, for the order updates reach their items.
uint64_t NextGroupOrder() {
  static std::atomic<uint64_t> made{0};
  return ++made;
}

}  // namespace

const InterfaceTableRow<OPCGroup> OPCGroup::kOfferedInterfaces[] = {
    {&IID_IUnknown, nullptr, " IID_IUnknown", kAnswersItself, nullptr},
    {&IID_IOPCGroupStateMgt, nullptr, " IID_IOPCGroupStateMgt", kStateMgtHolder,
     MakeHolder<IOPCGroupStateMgtHolder, OPCGroup>},
    {&IID_IOPCPublicGroupStateMgt, nullptr, " IID_IOPCPublicGroupStateMgt", kRefused, nullptr},
    {&IID_IOPCSyncIO, nullptr, " IID_IOPCSyncIO", kSyncIOHolder, MakeHolder<IOPCSyncIOHolder, OPCGroup>},
    {&IID_IOPCAsyncIO, nullptr, " IID_IOPCAsyncIO", kAsyncIOHolder, MakeHolder<IOPCAsyncIOHolder, OPCGroup>},
    {&IID_IOPCAsyncIO2, nullptr, " IID_IOPCAsyncIO2", kAsyncIO2Holder, MakeHolder<IOPCAsyncIO2Holder, OPCGroup>},
    {&IID_IConnectionPointContainer, nullptr, " IID_IConnectionPointContainer", kConnectionContainerHolder,
     MakeHolder<OPCGroupConnectionContainer, OPCGroup>},
    {&IID_IOPCItemMgt, nullptr, " IID_IOPCItemMgt", kItemMgtHolder, MakeHolder<IOPCItemMgtHolder, OPCGroup>},
    {&IID_IDataObject, nullptr, " IID_IDataObject", kDataObjectHolder,
     MakeHolder<IOPCDataObjectHolder, OPCGroup>},
};

OPCGroup::OPCGroup(OPCServer& server, const Settings& settings)
    : server_(server),
      name_(settings.name),
      updateRate_(settings.updateRate),
      percentDeadband_(settings.percentDeadband),
      localeId_(settings.localeId),
      timeBias_(settings.timeBias),
      active_(settings.active),
      identity_(SharedHandleTable<OPCGroup>::Add(this)),
      order_{server.CreationOrder(), NextGroupOrder()},
      clientHandle_(settings.clientHandle) {}

OPCGroup::~OPCGroup() {
  ReleaseItems();
  // The holders go in the order of their slots; the connection container
  // last, letting go of the client's sink (no lock is held here).
  for (HolderSlot& holder : holders_) holder.Clear();
  SharedHandleTable<OPCGroup>::Remove(identity_);
}

HRESULT OPCGroup::QueryInterface(REFIID riid, void** ppvObject) {
  return QueryInterfaceFromTable(*this, "OPCGroup", kOfferedInterfaces, holders_, riid, ppvObject);
}

ULONG OPCGroup::AddRef() {
  // Each client reference pins the group.
  Pin();
  return static_cast<ULONG>(life_.AddRef());
}

ULONG OPCGroup::Release() {
  const LONG before = life_.Release();
  // A release beyond the last reference takes no pin away: the server's list
  // still holds the group.
  if (before == 0) return 0;
  Unpin();
  return static_cast<ULONG>(before - 1);
}

std::string OPCGroup::Name() const {
  ServerLock::Hold hold(VorlixApp().GetServerLock());
  return name_;
}

void OPCGroup::SetName(std::string name) {
  ServerLock::Hold hold(VorlixApp().GetServerLock());
  name_ = std::move(name);
}

OPCGroup::Settings OPCGroup::CurrentSettings() const {
  Settings settings;
  settings.name = Name();
  settings.active = Active();
  settings.updateRate = UpdateRate();
  settings.clientHandle = ClientHandle();
  settings.timeBias = TimeBias();
  settings.percentDeadband = PercentDeadband();
  settings.localeId = LocaleId();
  return settings;
}

void OPCGroup::Unlist() { state_ = State::kRemoved; }

void OPCGroup::Retire() {
  state_ = State::kRetired;
  ReleaseItems();
  transactions_.Clear();
}

void OPCGroup::Unpin() {
  if (life_.Unpin()) delete this;
}

OPCGroupItem* OPCGroup::ItemAt(int index) const {
  return index >= 0 && index < ItemCount() ? items_[static_cast<size_t>(index)].get() : nullptr;
}

std::vector<OPCGroupItem*> OPCGroup::ChangedActiveItems() const {
  std::vector<OPCGroupItem*> selected;
  for (const std::unique_ptr<OPCGroupItem>& item : items_) {
    if (item->changed && item->active) selected.push_back(item.get());
  }
  return selected;
}

std::vector<OPCGroupItem*> OPCGroup::ActiveItems() const {
  std::vector<OPCGroupItem*> selected;
  for (const std::unique_ptr<OPCGroupItem>& item : items_) {
    if (item->active) selected.push_back(item.get());
  }
  return selected;
}

std::vector<OPCGroupItem*> OPCGroup::ItemsWithHandles(const std::vector<OPCHANDLE>& serverHandles) const {
  std::vector<OPCGroupItem*> selected;
  for (OPCHANDLE handle : serverHandles) {
    if (OPCGroupItem* item = FindItem(handle)) selected.push_back(item);
  }
  return selected;
}

OPCGroupItem* OPCGroup::FindItem(OPCHANDLE serverHandle) const {
  // Server handles name items of every group: the item must be one of ours.
  OPCGroupItem* item = SharedHandleTable<OPCGroupItem>::Lookup(serverHandle);
  return item != nullptr && item->group == this ? item : nullptr;
}

OPCHANDLE OPCGroup::AttachItem(std::unique_ptr<OPCGroupItem> item) {
  OPCTag* tag = VorlixApp().HashFindTag(std::string(), item->FullName());
  return AttachItem(std::move(item), tag);
}

OPCHANDLE OPCGroup::AttachItem(std::unique_ptr<OPCGroupItem> item, OPCTag* tag) {
  item->AssignServerHandle();
  item->group = this;
  // Only a leaf counts client items: a name may have become a branch since.
  if (tag != nullptr && !tag->HasHandle()) tag = nullptr;
  if (tag != nullptr) ++tag->live->refCount;
  VorlixApp().ClientItems().Enter(*item, tag);
  items_.push_back(std::move(item));
  return items_.back()->serverHandle;
}

void OPCGroup::ExpectItems(size_t more) {
  ServerLock::Hold hold(VorlixApp().GetServerLock());
  const size_t needed = items_.size() + more;
  // Many small calls still grow it geometrically.
  if (needed > items_.capacity()) items_.reserve(std::max(needed, items_.capacity() * 2));
}

OPCHANDLE OPCGroup::ClientHandleOf(OPCHANDLE serverHandle) const {
  ServerLock::Hold hold(VorlixApp().GetServerLock());
  const OPCGroupItem* item = FindItem(serverHandle);
  return item != nullptr ? item->clientHandle : serverHandle;
}

std::vector<std::unique_ptr<OPCGroupItem>> OPCGroup::CopyItems() const {
  ServerLock::Hold hold(VorlixApp().GetServerLock());
  return OPCGroupItem::CopyAll(items_);
}

void OPCGroup::CopyItemsTo(OPCGroup& other) const {
  ServerLock::Hold hold(VorlixApp().GetServerLock());
  std::vector<std::unique_ptr<OPCGroupItem>> copies = CopyItems();
  for (size_t i = 0; i < copies.size(); ++i) {
    // A clone's items write under the same client's name.
    copies[i]->SetInternedUserName(items_[i]->UserName());
    other.AttachItem(std::move(copies[i]));
  }
}

BOOL OPCGroup::HasItemForTag(const OPCTag& tag) const {
  ServerLock::Hold hold(VorlixApp().GetServerLock());
  // A leaf's name is its full tag name, which names no other tag.
  return CountItemsNamed(tag.name) > 0 ? TRUE : FALSE;
}

int OPCGroup::CountItemsNamed(const std::string& fullName) const {
  CVorlixApp& app = VorlixApp();
  ServerLock::Hold hold(app.GetServerLock());
  const TagClientItems* named = app.ClientItems().Find(fullName);
  return named != nullptr ? named->CountOfGroup(*this) : 0;
}

void OPCGroup::RemoveItems(DWORD count, const OPCHANDLE* serverHandles, HRESULT* results) {
  CVorlixApp& app = VorlixApp();
  ItemHostNotices notices;
  {
    ServerLock::Hold hold(app.GetServerLock());
    bool anyRemoved = false;
    for (DWORD i = 0; i < count; ++i) {
      OPCGroupItem* item = FindItem(serverHandles[i]);
      results[i] = item != nullptr ? S_OK : OPC_E_INVALIDHANDLE;
      if (item == nullptr) continue;
      // Out of the group from now on (a second mention of its handle finds
      // nothing); the records go together below.
      item->group = nullptr;
      anyRemoved = true;
      // Each item's notices are worked out as it goes, before the next one.
      notices.ItemLeft(*item, app.ClientItems().Leave(*item));
    }
    // One pass keeps the others in order.
    if (anyRemoved) {
      items_.erase(std::remove_if(items_.begin(), items_.end(),
                                  [](const std::unique_ptr<OPCGroupItem>& item) { return item->group == nullptr; }),
                   items_.end());
    }
  }
  notices.Send();
}

void OPCGroup::ReleaseItems() {
  ItemHostNotices notices;
  {
    ServerLock::Hold hold(VorlixApp().GetServerLock());
    const std::vector<std::unique_ptr<OPCGroupItem>> items = std::move(items_);
    items_.clear();
    // Every item is out before the first tag's fastest rate is found again.
    std::vector<OPCTag*> tags;
    tags.reserve(items.size());
    for (const std::unique_ptr<OPCGroupItem>& item : items) tags.push_back(VorlixApp().ClientItems().Leave(*item));
    for (size_t i = 0; i < items.size(); ++i) notices.ItemLeft(*items[i], tags[i]);
  }
  notices.Send();
}

IOPCDataObjectHolder* OPCGroup::DataObject() const {
  return static_cast<IOPCDataObjectHolder*>(holders_[kDataObjectHolder].Existing());
}

BOOL OPCGroup::HasReadSink() const {
  const IOPCDataObjectHolder* dataObject = DataObject();
  return dataObject != nullptr && dataObject->HasDataSink() ? TRUE : FALSE;
}

BOOL OPCGroup::HasWriteSink() const {
  const IOPCDataObjectHolder* dataObject = DataObject();
  return dataObject != nullptr && dataObject->HasWriteSink() ? TRUE : FALSE;
}

void OPCGroup::DrainAsyncRequests() {
  transactions_.Drain([this](const OPCTransaction& transaction) { DeliverTransaction(*this, transaction); });
}

void OPCGroup::Scan(BOOL forced) {
  if (!Active() || Removed()) return;
  const DWORD elapsed = elapsed_ += VorlixApp().ServerRate();
  if (elapsed < UpdateRate() && !forced) return;
  elapsed_ = 0;
  // The Data Access 1.0 data object's delivery first: it clears the changed
  // flags only while no 2.0 callback sink is connected, leaving them to the
  // 2.0 delivery otherwise.
  if (IOPCDataObjectHolder* dataObject = DataObject()) dataObject->SendSubscriptionData(!HasCallbackSink());
  if (OPCGroupConnectionContainer* container = CallbackContainer()) container->SendDataChange();
}

void OPCGroup::CopyTagInto(const TagLive& tag, OPCGroupItem& item) const {
  item.timestamp = tag.timestamp;
  // Without a deadband every update counts.
  const FLOAT deadband = PercentDeadband();
  const bool counts =
      item.quality != tag.quality || deadband == 0.0f || DeadbandChanged(deadband, item.referenceValue, tag.value);
  OPCGroupItem::CopyValue(item.value, tag.value);
  item.quality = tag.quality;
  if (!counts) return;
  // A change stays until a delivery sends it, whatever later updates bring.
  item.changed = true;
  OPCGroupItem::CopyValue(item.referenceValue, item.value);
}

BOOL OPCGroup::RecheckRights() {
  CVorlixApp& app = VorlixApp();
  ServerLock::Hold hold(app.GetServerLock());
  BOOL everyTagFound = TRUE;
  for (const std::unique_ptr<OPCGroupItem>& item : items_) {
    const OPCTag* tag = app.FindTag(std::string(), item->FullName());
    item->accessRights = tag != nullptr ? app.ClientAccessRights(*tag) : 0;
    if (tag == nullptr) everyTagFound = FALSE;
  }
  return everyTagFound;
}

DWORD OPCGroup::NextTransactionId() {
  DWORD id = ++transactionCounter_;
  if (id == 0) id = ++transactionCounter_;
  return id;
}

OPCGroupConnectionContainer* OPCGroup::CallbackContainer() const {
  return static_cast<OPCGroupConnectionContainer*>(holders_[kConnectionContainerHolder].Existing());
}

BOOL OPCGroup::HasCallbackSink() const {
  OPCGroupConnectionContainer* container = CallbackContainer();
  return container != nullptr && container->HasSink() ? TRUE : FALSE;
}

BOOL OPCGroup::GetCallbackEnable() const {
  const OPCGroupConnectionContainer* container = CallbackContainer();
  return container != nullptr ? container->Enabled() : FALSE;
}

BOOL OPCGroup::SetCallbackEnable(BOOL enable) {
  OPCGroupConnectionContainer* container = CallbackContainer();
  if (container == nullptr) return FALSE;
  container->SetEnabled(enable);
  return TRUE;
}
