// Every client item by the full tag name it names, one TagClientItems list per
// name, linked with the leaf of that name while it exists. Items enter as
// their group attaches them and leave as they go; a list goes with its last
// item. The application keeps one; it is used under the server lock.
#pragma once

#include "da/group/TagClientItems.h"

#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

class OPCGroupItem;
class OPCTag;

class ClientItemIndex {
 public:
  // Enters an item its group has just attached, under its full name; `tag`
  // is the leaf of that name, or NULL when there is none.
  void Enter(OPCGroupItem& item, OPCTag* tag);
  // Takes the item out; the leaf of its name, or NULL when there is none.
  OPCTag* Leave(OPCGroupItem& item);

  // The list of that name, or NULL when no item names it.
  TagClientItems* Find(const std::string& fullName) const;
  // A new leaf and the list of its name point at each other.
  static void Link(OPCTag& tag, TagClientItems& items);
  // A leaf that goes lets go of its list, which stays for its items.
  static void Unlink(OPCTag& tag);

 private:
  // Keyed by the list's own name.
  std::unordered_map<std::string_view, std::unique_ptr<TagClientItems>> lists_;
};
