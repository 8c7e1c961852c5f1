#include "tags/TagDatabase.h"

#include "tags/ItemName.h"

#include <algorithm>
#include <utility>
#include <vector>

TagDatabase::TagDatabase() : root_(nullptr, std::string()) {}

TagDatabase::~TagDatabase() = default;

OPCTag* TagDatabase::FindTag(const std::string& accessPath, const std::string& itemId) const {
  const char delimiter = Delimiter();
  const std::string fullName = MakeFullItemName(accessPath, itemId, delimiter);
  const std::vector<std::string> components = SplitItemName(fullName, delimiter);
  const OPCTag* node = &root_;
  for (size_t i = 0; i + 1 < components.size(); ++i) {
    node = FindChild(*node, components[i]);
    if (node == nullptr) return nullptr;
  }
  return FindChild(*node, fullName);
}

OPCTag* TagDatabase::TagFromHandle(DWORD handle) const { return SharedHandleTable<OPCTag>::Lookup(handle); }

OPCTag* TagDatabase::FindChild(const OPCTag& parent, const std::string& name) {
  for (const std::unique_ptr<OPCTag>& child : parent.children) {
    if (child->name == name) return child.get();
  }
  return nullptr;
}

OPCTag* TagDatabase::AddChild(OPCTag& parent, const std::string& name) {
  parent.children.push_back(std::make_unique<OPCTag>(&parent, name));
  return parent.children.back().get();
}

DWORD TagDatabase::CreateTag(const std::string& fullName, const VARIANT& value, WORD quality, DWORD readAccess,
                             DWORD writeAccess, int clientItems) {
  if (HashFindTag(std::string(), fullName) != nullptr) return VORLIX_INVALID_TAG;
  const std::vector<std::string> components = SplitItemName(fullName, Delimiter());
  OPCTag* node = &root_;
  OPCTag* firstNewBranch = nullptr;
  std::string branchKey;
  for (size_t i = 0; i + 1 < components.size(); ++i) {
    // Branch keys join with '.' whatever the delimiter.
    branchKey = i == 0 ? components[0] : branchKey + '.' + components[i];
    int64_t slot = -1;
    OPCTag* child = FindChildHashed(*node, branchKey, components[i], &slot);
    if (child == nullptr) {
      child = AddChild(*node, components[i]);
      EnterInIndex(slot, branchKey, *child);
      if (firstNewBranch == nullptr) firstNewBranch = child;
    }
    node = child;
  }

  auto leaf = std::make_unique<OPCTag>(node, fullName);
  if (FAILED(leaf->SetValue(value))) {
    // Branches made for this leaf alone would be left empty: take them back.
    if (firstNewBranch != nullptr) Destroy(firstNewBranch);
    return VORLIX_INVALID_TAG;
  }
  leaf->quality = quality;
  leaf->readAccess = readAccess;
  leaf->writeAccess = writeAccess;
  leaf->refCount = clientItems;
  leaf->handle = SharedHandleTable<OPCTag>::Add(leaf.get());
  EnterInIndex(HashSlot(fullName, fullName), fullName, *leaf);
  node->children.push_back(std::move(leaf));
  return node->children.back()->handle;
}

void TagDatabase::RemoveNode(OPCTag* node) {
  OPCTag* parent = node->parent;
  Destroy(node);
  while (parent != &root_ && parent->children.empty() && !parent->HasHandle()) {
    OPCTag* above = parent->parent;
    Destroy(parent);
    parent = above;
  }
}

void TagDatabase::Destroy(OPCTag* node) {
  std::vector<OPCTag*> pending{node};
  while (!pending.empty()) {
    OPCTag* current = pending.back();
    pending.pop_back();
    if (current->HasHandle()) SharedHandleTable<OPCTag>::Remove(current->handle);
    if (current->hashSlot >= 0) index_.Vacate(current->hashSlot);
    for (const std::unique_ptr<OPCTag>& child : current->children) pending.push_back(child.get());
  }
  std::vector<std::unique_ptr<OPCTag>>& siblings = node->parent->children;
  siblings.erase(std::find_if(siblings.begin(), siblings.end(),
                              [node](const std::unique_ptr<OPCTag>& sibling) { return sibling.get() == node; }));
}

UINT TagDatabase::SetHashing(UINT request) {
  const UINT size = index_.Reset(request);
  // Enter every node under its key: a leaf under its name, a branch under the
  // '.'-joined names from the top down to its own.
  std::vector<std::pair<OPCTag*, std::string>> pending;
  for (const std::unique_ptr<OPCTag>& top : root_.children) pending.emplace_back(top.get(), top->name);
  while (!pending.empty()) {
    auto [node, branchKey] = std::move(pending.back());
    pending.pop_back();
    node->hashSlot = index_.Enter(node->HasHandle() ? node->name : branchKey, node);
    for (const std::unique_ptr<OPCTag>& child : node->children) {
      pending.emplace_back(child.get(), branchKey + '.' + child->name);
    }
  }
  return size;
}

int64_t TagDatabase::HashSlot(const std::string& key, const std::string& name) const {
  const TagHashIndex::Probe probe = index_.Find(key, [&name](const OPCTag& tag) { return tag.name == name; });
  return probe.record != nullptr ? probe.slot : probe.freeSlot;
}

OPCTag* TagDatabase::HashFindTag(const std::string& accessPath, const std::string& itemId) const {
  if (!index_.IsOn()) return FindTag(accessPath, itemId);
  const std::string fullName = MakeFullItemName(accessPath, itemId, Delimiter());
  const TagHashIndex::Probe probe =
      index_.Find(fullName, [&fullName](const OPCTag& tag) { return tag.name == fullName; });
  if (probe.record != nullptr) return probe.record;
  return probe.complete ? nullptr : FindTag(accessPath, itemId);
}

OPCTag* TagDatabase::FindChildHashed(const OPCTag& parent, const std::string& branchKey, const std::string& component,
                                     int64_t* slot) const {
  *slot = -1;
  if (!index_.IsOn()) return FindChild(parent, component);
  const TagHashIndex::Probe probe = index_.Find(branchKey, [&](const OPCTag& tag) {
    return tag.parent == &parent && tag.name == component;
  });
  if (probe.record != nullptr) return probe.record;
  *slot = probe.freeSlot;
  return probe.complete ? nullptr : FindChild(parent, component);
}

void TagDatabase::EnterInIndex(int64_t slot, const std::string& key, OPCTag& node) {
  if (slot < 0) return;
  index_.Store(slot, key, &node);
  node.hashSlot = slot;
}
