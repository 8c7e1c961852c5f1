#include "da/group/ClientItemIndex.h"

#include "da/group/OPCGroupItem.h"
#include "tags/OPCTag.h"

#include <functional>

namespace {
constexpr size_t kFirstSlots = 64;
}  // namespace

ClientItemIndex::~ClientItemIndex() {
  for (const Slot& slot : slots_) delete slot.list;
}

void ClientItemIndex::Enter(OPCGroupItem& item, OPCTag* tag) {
  // A leaf points at the list of its name whenever there is one; its name is
  // the full name, which an item named by it alone does not keep.
  TagClientItems* items = tag != nullptr ? tag->live->clientItems : Find(item.FullName());
  if (items == nullptr) items = Add(tag != nullptr ? std::string_view(tag->name) : item.FullName());
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
    if (tag != nullptr) tag->live->clientItems = nullptr;
    Remove(items);
  }
  return tag;
}

TagClientItems* ClientItemIndex::Find(std::string_view fullName) const {
  if (slots_.empty()) return nullptr;
  return slots_[Position(fullName, HashOf(fullName))].list;
}

void ClientItemIndex::Link(OPCTag& tag, TagClientItems& items) {
  tag.live->clientItems = &items;
  items.tag = &tag;
}

void ClientItemIndex::Unlink(OPCTag& tag) {
  if (tag.live->clientItems != nullptr) tag.live->clientItems->tag = nullptr;
  tag.live->clientItems = nullptr;
}

size_t ClientItemIndex::HashOf(std::string_view name) { return std::hash<std::string_view>()(name); }

size_t ClientItemIndex::Position(std::string_view name, size_t hash) const {
  const size_t mask = slots_.size() - 1;
  size_t position = hash & mask;
  while (slots_[position].list != nullptr &&
         (slots_[position].hash != hash || slots_[position].list->Name() != name)) {
    position = (position + 1) & mask;
  }
  return position;
}

TagClientItems* ClientItemIndex::Add(std::string_view name) {
  if ((lists_ + 1) * 4 > slots_.size() * 3) Grow();
  auto* list = new TagClientItems(std::string(name));
  const size_t hash = HashOf(name);
  slots_[Position(name, hash)] = Slot{hash, list};
  ++lists_;
  return list;
}

void ClientItemIndex::Remove(TagClientItems* list) {
  const size_t mask = slots_.size() - 1;
  size_t hole = Position(list->Name(), HashOf(list->Name()));
  delete list;
  --lists_;
  if (lists_ == 0) {
    // The memory goes back when no client item is left.
    std::vector<Slot>().swap(slots_);
    return;
  }
  // Backward shift: every later entry of the run that may move into the hole
  // does, so that no lookup stops early at it and no marker is left behind.
  for (size_t next = (hole + 1) & mask; slots_[next].list != nullptr; next = (next + 1) & mask) {
    const size_t home = slots_[next].hash & mask;
    // Whether `home` lies cyclically in (hole, next]: then the entry stays.
    const bool stays = hole <= next ? (hole < home && home <= next) : (hole < home || home <= next);
    if (stays) continue;
    slots_[hole] = slots_[next];
    hole = next;
  }
  slots_[hole] = Slot{0, nullptr};
}

void ClientItemIndex::Grow() {
  std::vector<Slot> old(slots_.empty() ? kFirstSlots : slots_.size() * 2, Slot{0, nullptr});
  old.swap(slots_);
  const size_t mask = slots_.size() - 1;
  for (const Slot& slot : old) {
    if (slot.list == nullptr) continue;
    size_t position = slot.hash & mask;
    while (slots_[position].list != nullptr) position = (position + 1) & mask;
    slots_[position] = slot;
  }
}
