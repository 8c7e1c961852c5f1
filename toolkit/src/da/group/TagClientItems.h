// The client items naming one full tag name, in the order an update reaches
// them: clients in creation order, each client's groups in creation order,
// each group's items in the order they were added. While a tag of that name
// exists it points here (TagLive::clientItems) and this points back, so that an
// update, the count of a tag's client items and its fastest client rate reach
// exactly these items and never walk the others.
//
// An item counts while its group is listed by a running client. A group that
// was removed but is still held, or one whose client has gone, keeps its
// items here until they go, uncounted, just as such a group receives no
// updates. Used under the server lock. A record of one cache line, from a
// pool: tag creation reads it for every name a client item names.
#pragma once

#include "app/RecordPool.h"

#include "platform/wintypes.h"

#include <string>
#include <vector>

class OPCGroup;
class OPCGroupItem;
class OPCServer;
class OPCTag;
class TagLive;

class TagClientItems final : public PooledRecord<TagClientItems> {
 public:
  explicit TagClientItems(std::string name) : name_(std::move(name)) {}
  TagClientItems(const TagClientItems&) = delete;
  TagClientItems& operator=(const TagClientItems&) = delete;

  const std::string& Name() const { return name_; }
  bool Empty() const { return items_.empty(); }

  // The item, attached to its group, takes its place in update order: after
  // every item of its own group, which it joined last.
  void Insert(OPCGroupItem& item);
  void Remove(const OPCGroupItem& item);

  // Over the items that count (those of `server` alone when it is given): how
  // many there are, and the smallest non-zero update rate of their groups (0
  // when none has one).
  int Count(const OPCServer* server = nullptr) const;
  DWORD FastestRate(const OPCServer* server = nullptr) const;
  // How many of the group's items name the tag, counted or not.
  int CountOfGroup(const OPCGroup& group) const;
  // Copies the updated tag into each item that counts (of `server` alone when
  // it is given), in update order; how many it reached (Count).
  int Propagate(const TagLive& tag, const OPCServer* server = nullptr) const;
  // The same for a batch of updated tags, skipping those no client item
  // names: client by client and group by group, each group's items of the
  // first tag of the list first, then those of the next, each in item order.
  static void PropagateBatch(const std::vector<const TagLive*>& tags, const OPCServer* server = nullptr);

  // The items lie apart in memory: a walk asks for all of them at once
  // rather than waiting for each in turn (tag creation asks early).
  void PrefetchItems() const;

  // The leaf of this name while it exists.
  OPCTag* tag = nullptr;

 private:
  static bool Counts(const OPCGroupItem& item, const OPCServer* server);
  std::string name_;
  std::vector<OPCGroupItem*> items_;
};
