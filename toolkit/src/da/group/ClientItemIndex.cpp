#include "da/group/ClientItemIndex.h"

#include "da/group/OPCGroupItem.h"
#include "tags/OPCTag.h"

void ClientItemIndex::Enter(OPCGroupItem& item, OPCTag* tag) {
  // A leaf points at the list of its name whenever there is one.
  TagClientItems* items = tag != nullptr ? tag->clientItems : Find(item.FullName());
  if (items == nullptr) {
    // A leaf's name is the full name; an item named by it alone keeps no copy.
    auto made = std::make_unique<TagClientItems>(tag != nullptr ? tag->name : item.FullName());
    items = made.get();
    lists_.emplace(items->Name(), std::move(made));
  }
  if (tag != nullptr && items->tag == nullptr) Link(*tag, *items);
  items->Insert(item);
  item.EnterList(*items);
}

OPCTag* ClientItemIndex::Leave(OPCGroupItem& item) {
  TagClientItems* items = item.tagItems;
  if (items == nullptr) return nullptr;
  item.LeaveList();
  items->Remove(item);
  OPCTag* tag = items->tag;
  if (items->Empty()) {
    if (tag != nullptr) tag->clientItems = nullptr;
    lists_.erase(lists_.find(items->Name()));
  }
  return tag;
}

TagClientItems* ClientItemIndex::Find(const std::string& fullName) const {
  const auto entry = lists_.find(fullName);
  return entry != lists_.end() ? entry->second.get() : nullptr;
}

void ClientItemIndex::Link(OPCTag& tag, TagClientItems& items) {
  tag.clientItems = &items;
  items.tag = &tag;
}

void ClientItemIndex::Unlink(OPCTag& tag) {
  if (tag.clientItems != nullptr) tag.clientItems->tag = nullptr;
  tag.clientItems = nullptr;
}
