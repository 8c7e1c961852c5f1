#include "OPCGroup.h"

#include "CVorlixApp.h"
#include "IOPCDataObjectHolder.h"
#include "IOPCGroupStateMgtHolder.h"
#include "IOPCItemMgtHolder.h"
#include "IOPCSyncIOHolder.h"
#include "ItemHostNotices.h"
#include "OPCTag.h"

#include "platform/handletable.h"
#include "platform/opcguid.h"

#include <algorithm>

const InterfaceTableRow<OPCGroup> OPCGroup::kOfferedInterfaces[] = {
    {&IID_IUnknown, nullptr, " IID_IUnknown", kAnswersItself, nullptr},
    {&IID_IOPCGroupStateMgt, nullptr, " IID_IOPCGroupStateMgt", kStateMgtHolder,
     MakeHolder<IOPCGroupStateMgtHolder, OPCGroup>},
    {&IID_IOPCPublicGroupStateMgt, nullptr, " IID_IOPCPublicGroupStateMgt", kRefused, nullptr},
    {&IID_IOPCSyncIO, nullptr, " IID_IOPCSyncIO", kSyncIOHolder, MakeHolder<IOPCSyncIOHolder, OPCGroup>},
    {&IID_IOPCAsyncIO, nullptr, " IID_IOPCAsyncIO", kAsyncIOHolder, nullptr},
    {&IID_IOPCAsyncIO2, nullptr, " IID_IOPCAsyncIO2", kAsyncIO2Holder, nullptr},
    {&IID_IConnectionPointContainer, nullptr, " IID_IConnectionPointContainer", kConnectionContainerHolder, nullptr},
    {&IID_IOPCItemMgt, nullptr, " IID_IOPCItemMgt", kItemMgtHolder, MakeHolder<IOPCItemMgtHolder, OPCGroup>},
    {&IID_IDataObject, nullptr, " IID_IDataObject", kDataObjectHolder,
     MakeHolder<IOPCDataObjectHolder, OPCGroup>},
};

OPCGroup::OPCGroup(OPCServer* server, const Settings& settings)
    : server_(server),
      name_(settings.name),
      updateRate_(settings.updateRate),
      percentDeadband_(settings.percentDeadband),
      localeId_(settings.localeId),
      timeBias_(settings.timeBias),
      active_(settings.active),
      identity_(SharedHandleTable<OPCGroup>::Add(this)),
      clientHandle_(settings.clientHandle) {}

OPCGroup::~OPCGroup() {
  ReleaseItems();
  SharedHandleTable<OPCGroup>::Remove(identity_);
}

HRESULT OPCGroup::QueryInterface(REFIID riid, void** ppvObject) {
  return QueryInterfaceFromTable(*this, "OPCGroup", kOfferedInterfaces, holders_, riid, ppvObject);
}

ULONG OPCGroup::AddRef() {
  holds_.fetch_add(1);
  const LONG count = ++references_;
  VorlixApp().TraceCount("OPCGroup", "AddRef", count);
  return static_cast<ULONG>(count);
}

ULONG OPCGroup::Release() {
  LONG count = references_.load();
  // A client that releases more often than it holds the group takes nothing
  // away: the server's list still holds it.
  while (count > 0 && !references_.compare_exchange_weak(count, count - 1)) {
  }
  VorlixApp().TraceCount("OPCGroup", "Release", count);
  if (count <= 0) return 0;
  DropHold();
  return static_cast<ULONG>(count - 1);
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

void OPCGroup::Retire() {
  retired_ = true;
  ReleaseItems();
}

void OPCGroup::Pin() { holds_.fetch_add(1); }

void OPCGroup::Unpin() { DropHold(); }

void OPCGroup::DropHold() {
  if (holds_.fetch_sub(1) == 1) delete this;
}

OPCGroupItem* OPCGroup::FindItem(OPCHANDLE serverHandle) const {
  for (const std::unique_ptr<OPCGroupItem>& item : items_) {
    if (item->serverHandle == serverHandle) return item.get();
  }
  return nullptr;
}

OPCHANDLE OPCGroup::AttachItem(std::unique_ptr<OPCGroupItem> item) {
  item->AssignServerHandle();
  OPCTag* tag = VorlixApp().FindTag(std::string(), item->fullName);
  // Only a leaf counts client items: a name may have become a branch since.
  if (tag != nullptr && tag->HasHandle()) ++tag->refCount;
  items_.push_back(std::move(item));
  return items_.back()->serverHandle;
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
    copies[i]->userName = items_[i]->userName;
    other.AttachItem(std::move(copies[i]));
  }
}

BOOL OPCGroup::HasItemForTag(const OPCTag& tag) const {
  ServerLock::Hold hold(VorlixApp().GetServerLock());
  // A leaf's name is its full tag name, which names no other tag.
  return CountItemsNamed(tag.name) > 0 ? TRUE : FALSE;
}

int OPCGroup::CountItemsNamed(const std::string& fullName) const {
  ServerLock::Hold hold(VorlixApp().GetServerLock());
  return static_cast<int>(std::count_if(items_.begin(), items_.end(),
                                        [&](const std::unique_ptr<OPCGroupItem>& item) { return item->fullName == fullName; }));
}

BOOL OPCGroup::RemoveItem(OPCHANDLE serverHandle) {
  ItemHostNotices notices;
  {
    ServerLock::Hold hold(VorlixApp().GetServerLock());
    const auto entry = std::find_if(items_.begin(), items_.end(), [&](const std::unique_ptr<OPCGroupItem>& item) {
      return item->serverHandle == serverHandle;
    });
    if (entry == items_.end()) return FALSE;
    const std::unique_ptr<OPCGroupItem> item = std::move(*entry);
    items_.erase(entry);
    notices.ItemLeft(*item);
  }
  notices.Send();
  return TRUE;
}

void OPCGroup::ReleaseItems() {
  ItemHostNotices notices;
  {
    ServerLock::Hold hold(VorlixApp().GetServerLock());
    const std::vector<std::unique_ptr<OPCGroupItem>> items = std::move(items_);
    items_.clear();
    for (const std::unique_ptr<OPCGroupItem>& item : items) notices.ItemLeft(*item);
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

void OPCGroup::DrainAsyncRequests() {}

void OPCGroup::Scan(BOOL forced) {
  if (!Active() || Removed() || Retired()) return;
  const DWORD elapsed = elapsed_ += VorlixApp().ServerRate();
  if (elapsed < UpdateRate() && !forced) return;
  elapsed_ = 0;
  // Data Access 1.0 sinks first. Their delivery clears the changed flags,
  // since no Data Access 2.0 callback sink can be connected yet.
  if (IOPCDataObjectHolder* dataObject = DataObject()) dataObject->SendSubscriptionData(true);
}

void OPCGroup::PropagateTag(const OPCTag&) {}

void OPCGroup::PropagateTagList(const std::vector<const OPCTag*>&) {}

BOOL OPCGroup::RecheckRights() { return TRUE; }
