#include "da/group/TagClientItems.h"

#include "da/group/OPCGroup.h"
#include "da/server/OPCServer.h"
#include "tags/TagLive.h"

#include <algorithm>

static_assert(sizeof(TagClientItems) <= 64, "a list of client items fits in one cache line");

void TagClientItems::Insert(OPCGroupItem& item) {
  // Most tags are named by a few items: the list grows by half, not double,
  // so that little room stands empty.
  if (items_.size() == items_.capacity()) items_.reserve(items_.size() + items_.size() / 2 + 1);
  const OPCGroup::UpdateOrder order = item.group->Order();
  auto position = items_.end();
  while (position != items_.begin() && order < (*(position - 1))->group->Order()) --position;
  items_.insert(position, &item);
}

void TagClientItems::Remove(const OPCGroupItem& item) {
  const auto entry = std::find(items_.begin(), items_.end(), &item);
  if (entry != items_.end()) items_.erase(entry);
}

bool TagClientItems::Counts(const OPCGroupItem& item, const OPCServer* server) {
  const OPCServer* owner = item.group->Server();
  if (owner == nullptr) return false;
  return server != nullptr ? owner == server : owner->IsRunning();
}

void TagClientItems::PrefetchItems() const {
  for (const OPCGroupItem* item : items_) __builtin_prefetch(item);
}

int TagClientItems::Count(const OPCServer* server) const {
  PrefetchItems();
  return static_cast<int>(
      std::count_if(items_.begin(), items_.end(), [server](const OPCGroupItem* item) { return Counts(*item, server); }));
}

DWORD TagClientItems::FastestRate(const OPCServer* server) const {
  DWORD fastest = 0;
  for (const OPCGroupItem* item : items_) {
    if (!Counts(*item, server)) continue;
    const DWORD rate = item->group->UpdateRate();
    if (rate != 0 && (fastest == 0 || rate < fastest)) fastest = rate;
  }
  return fastest;
}

int TagClientItems::CountOfGroup(const OPCGroup& group) const {
  return static_cast<int>(
      std::count_if(items_.begin(), items_.end(), [&group](const OPCGroupItem* item) { return item->group == &group; }));
}

int TagClientItems::Propagate(const TagLive& tag, const OPCServer* server) const {
  PrefetchItems();
  int reached = 0;
  for (OPCGroupItem* item : items_) {
    if (!Counts(*item, server)) continue;
    item->group->CopyTagInto(tag, *item);
    ++reached;
  }
  return reached;
}

void TagClientItems::PropagateBatch(const std::vector<const TagLive*>& tags, const OPCServer* server) {
  struct Copy {
    OPCGroup::UpdateOrder group;
    size_t tag;
    OPCGroupItem* item;
  };
  std::vector<Copy> copies;
  for (size_t t = 0; t < tags.size(); ++t) {
    const TagClientItems* named = tags[t]->refCount > 0 ? tags[t]->clientItems : nullptr;
    if (named == nullptr) continue;
    for (OPCGroupItem* item : named->items_) {
      if (Counts(*item, server)) copies.push_back({item->group->Order(), t, item});
    }
  }
  // Stable: a group's items of one tag keep their item order.
  std::stable_sort(copies.begin(), copies.end(), [](const Copy& first, const Copy& second) {
    if (first.group < second.group) return true;
    if (second.group < first.group) return false;
    return first.tag < second.tag;
  });
  for (const Copy& copy : copies) copy.item->group->CopyTagInto(*tags[copy.tag], *copy.item);
}
