#include "da/group/ClientItemIndex.h"

#include "da/group/OPCGroupItem.h"
#include "tags/OPCTag.h"

void ClientItemIndex::Enter(OPCGroupItem& item, OPCTag* tag) {
  TagClientItems* items = Find(item.fullName);
  if (items == nullptr) {
    auto made = std::make_unique<TagClientItems>(item.fullName);
    items = made.get();
    lists_.emplace(items->Name(), std::move(made));
  }
  if (tag != nullptr && items->tag == nullptr) Link(*tag, *items);
  items->Insert(item);
  item.tagItems = items;
}

OPCTag* ClientItemIndex::Leave(OPCGroupItem& item) {
  TagClientItems* items = item.tagItems;
  if (items == nullptr) return nullptr;
  item.tagItems = nullptr;
  items->Remove(item);
  OPCTag* tag = items->tag;
  if (items->Empty()) {
    if (tag != nullptr) tag->live->clientItems = nullptr;
    lists_.erase(lists_.find(items->Name()));
  }
  return tag;
}

TagClientItems* ClientItemIndex::Find(const std::string& fullName) const {
  const auto entry = lists_.find(fullName);
  return entry != lists_.end() ? entry->second.get() : nullptr;
}

void ClientItemIndex::Link(OPCTag& tag, TagClientItems& items) {
  tag.live->clientItems = &items;
  items.tag = &tag;
}

void ClientItemIndex::Unlink(OPCTag& tag) {
  if (tag.live->clientItems != nullptr) tag.live->clientItems->tag = nullptr;
  tag.live->clientItems = nullptr;
}
