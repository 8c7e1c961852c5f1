// Every client item by the full tag name it names, one TagClientItems list per
// name, linked with the leaf of that name while it exists. Items enter as
// their group attaches them and leave as they go; a list goes with its last
// item. The application keeps one; it is used under the server lock.
//
// Tag creation asks it for every new name, so a lookup is kept to few cache
// misses: an open-addressing table of (hash, list) pairs, probed linearly,
// whose entries are compared by hash before the list's name is read.
#pragma once

#include "da/group/TagClientItems.h"

#include <cstddef>
#include <string_view>
#include <vector>

class OPCGroupItem;
class OPCTag;

class ClientItemIndex {
 public:
  ClientItemIndex() = default;
  ~ClientItemIndex();
  ClientItemIndex(const ClientItemIndex&) = delete;
  ClientItemIndex& operator=(const ClientItemIndex&) = delete;

  // Enters an item its group has just attached, under its full name; `tag`
  // is the leaf of that name, or NULL when there is none.
  void Enter(OPCGroupItem& item, OPCTag* tag);
  // Takes the item out; the leaf of its name, or NULL when there is none.
  OPCTag* Leave(OPCGroupItem& item);

  // The list of that name, or NULL when no item names it.
  TagClientItems* Find(std::string_view fullName) const;
  // A new leaf and the list of its name point at each other.
  static void Link(OPCTag& tag, TagClientItems& items);
  // A leaf that goes lets go of its list, which stays for its items.
  static void Unlink(OPCTag& tag);

 private:
  struct Slot {
    size_t hash;
    // NULL: the slot is free. The index owns the lists.
    TagClientItems* list;
  };

  static size_t HashOf(std::string_view name);
  // Where the list of that name is, or the free slot where it would go. The
  // table has at least one free slot.
  size_t Position(std::string_view name, size_t hash) const;
  TagClientItems* Add(std::string_view name);
  void Remove(TagClientItems* list);
  // Twice the slots (or the first ones), every list entered again.
  void Grow();

  // A power of two long, at most three quarters full; empty while no list is.
  std::vector<Slot> slots_;
  size_t lists_ = 0;
};
