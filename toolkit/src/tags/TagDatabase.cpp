#include "tags/TagDatabase.h"

#include "tags/ItemName.h"

#include <algorithm>
#include <utility>
#include <vector>

TagDatabase::TagDatabase() : root_(nullptr, std::string()) {}

TagDatabase::~TagDatabase() = default;

OPCTag* TagDatabase::FindTag(std::string_view accessPath, std::string_view itemId) const {
  std::string composed;
  if (!accessPath.empty()) composed = MakeFullItemName(accessPath, itemId, Delimiter());
  const std::string_view fullName = accessPath.empty() ? itemId : std::string_view(composed);
  if (!IndexAnswersLookups()) return WalkTree(fullName);
  // The record entered under the full name as its key: a leaf, or a
  // top-level branch (deeper branches are entered under longer keys). A probe
  // that ends at a never-used slot proves there is none: a record the index
  // could not take had every slot of its key's way taken, and they stay so.
  const TagHashIndex::Probe probe = index_.Find(fullName, [&](const OPCTag& tag) {
    return tag.name == fullName && (tag.HasHandle() || tag.parent == &root_);
  });
  if (probe.record != nullptr || probe.complete) return probe.record;
  return WalkTree(fullName);
}

bool TagDatabase::IndexAnswersLookups() const {
  return index_.IsOn() && !mixedDelimiters_ && Delimiter() == namesDelimiter_;
}

OPCTag* TagDatabase::WalkTree(std::string_view fullName) const {
  const char delimiter = Delimiter();
  const OPCTag* node = &root_;
  size_t position = 0;
  while (position < fullName.size()) {
    const std::string_view component = NextItemNameComponent(fullName, delimiter, &position);
    if (position >= fullName.size()) break;  // the last component: the leaf holds the full name
    node = FindChild(*node, component);
    if (node == nullptr) return nullptr;
  }
  return FindChild(*node, fullName);
}

OPCTag* TagDatabase::FindChild(const OPCTag& parent, std::string_view name) {
  for (const std::unique_ptr<OPCTag>& child : parent.children) {
    if (child->name == name) return child.get();
  }
  return nullptr;
}

OPCTag* TagDatabase::AddChild(OPCTag& parent, std::string_view name) {
  parent.children.push_back(std::make_unique<OPCTag>(&parent, std::string(name)));
  return parent.children.back().get();
}

DWORD TagDatabase::CreateTag(std::string fullName, const VARIANT& value, WORD quality, DWORD readAccess,
                             DWORD writeAccess, int clientItems) {
  // The leaf takes the name as it is; the path's components are views of it.
  auto leaf = std::make_unique<OPCTag>(nullptr, std::move(fullName));
  if (FAILED(leaf->live->SetValue(value))) return VORLIX_INVALID_TAG;
  const std::string_view name = leaf->name;
  const char delimiter = Delimiter();
  const DWORD leafHash = SplitPath(name, delimiter);

  // The branches that exist already, down to the first one missing, whose
  // probe tells where it may be entered.
  OPCTag* node = &root_;
  size_t depth = 0;
  TagHashIndex::Probe missingBranch;
  for (; depth < path_.size(); ++depth) {
    OPCTag* child = FindBranch(*node, path_[depth], &missingBranch);
    if (child == nullptr) break;
    node = child;
  }

  // The leaf's probe also tells where it may be entered. Without the index,
  // the walk above is the one of FindTag: the leaf can exist only below the
  // last branch, when every branch does.
  TagHashIndex::Probe leafProbe;
  if (index_.IsOn()) {
    leafProbe = index_.FindByHash(leafHash, [&](const OPCTag& tag) { return tag.name == name; });
    if (leafProbe.record != nullptr || (!leafProbe.complete && WalkTree(name) != nullptr)) {
      return VORLIX_INVALID_TAG;
    }
  } else if (depth == path_.size() && FindChild(*node, name) != nullptr) {
    return VORLIX_INVALID_TAG;
  }

  if (root_.children.empty()) {
    namesDelimiter_ = delimiter;
    mixedDelimiters_ = false;
  } else if (delimiter != namesDelimiter_) {
    mixedDelimiters_ = true;
  }

  // The missing branches: below a new one, nothing is to be found, only a slot.
  for (size_t first = depth; depth < path_.size(); ++depth) {
    OPCTag* child = AddChild(*node, path_[depth].component);
    if (depth == first) {
      EnterInIndex(missingBranch.freeSlot, missingBranch.hash, *child);
    } else if (index_.IsOn()) {
      child->live->hashSlot = static_cast<int32_t>(index_.EnterByHash(path_[depth].keyHash, child));
    }
    node = child;
  }

  leaf->parent = node;
  leaf->live->quality = quality;
  leaf->live->readAccess = readAccess;
  leaf->live->writeAccess = writeAccess;
  leaf->live->refCount = clientItems;
  const DWORD handle = handles_.Add(leaf.get());
  if (index_.IsOn()) {
    // New branches may have taken the slot the leaf's probe found free; then
    // the first free one is further on its way.
    if (leafProbe.freeSlot >= 0 && index_.IsFree(leafProbe.freeSlot)) {
      EnterInIndex(leafProbe.freeSlot, leafProbe.hash, *leaf);
    } else if (leafProbe.freeSlot >= 0) {
      leaf->live->hashSlot = static_cast<int32_t>(index_.EnterByHash(leafHash, leaf.get()));
    }
  }
  node->children.push_back(std::move(leaf));
  return handle;
}

DWORD TagDatabase::SplitPath(std::string_view fullName, char delimiter) {
  path_.clear();
  const bool hashed = index_.IsOn();
  // Branch keys join the components with '.' whatever the delimiter: with
  // '.' they are the name's own prefixes, so each key's hash continues the
  // one before it, and the leaf's (its key is the whole name) continues the last.
  DWORD keyHash = TagHashIndex::kEmptyKeyHash;
  size_t keyEnd = 0;
  size_t position = 0;
  while (position < fullName.size()) {
    const std::string_view component = NextItemNameComponent(fullName, delimiter, &position);
    if (position >= fullName.size()) break;  // the last component: the leaf holds the full name
    if (hashed && delimiter == '.') {
      const size_t end = static_cast<size_t>(component.data() - fullName.data()) + component.size();
      keyHash = TagHashIndex::ContinueHash(keyHash, fullName.substr(keyEnd, end - keyEnd));
      keyEnd = end;
    } else if (hashed) {
      if (!path_.empty()) keyHash = TagHashIndex::ContinueHash(keyHash, ".");
      keyHash = TagHashIndex::ContinueHash(keyHash, component);
    }
    path_.push_back(PathStep{component, keyHash});
  }
  if (!hashed) return 0;
  return delimiter == '.' ? TagHashIndex::ContinueHash(keyHash, fullName.substr(keyEnd))
                          : TagHashIndex::Hash(fullName);
}

void TagDatabase::RemoveNode(OPCTag* node) {
  OPCTag* parent = node->parent;
  Destroy(node);
  while (parent != &root_ && parent->children.empty() && !parent->HasHandle()) {
    OPCTag* above = parent->parent;
    Destroy(parent);
    parent = above;
  }
  if (root_.children.empty()) mixedDelimiters_ = false;
}

void TagDatabase::Destroy(OPCTag* node) {
  std::vector<OPCTag*> pending{node};
  while (!pending.empty()) {
    OPCTag* current = pending.back();
    pending.pop_back();
    if (current->HasHandle()) handles_.Remove(current->live->handle);
    if (current->live->hashSlot >= 0) index_.Vacate(current->live->hashSlot);
    for (const std::unique_ptr<OPCTag>& child : current->children) pending.push_back(child.get());
  }
  TagChildren& siblings = node->parent->children;
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
    node->live->hashSlot = static_cast<int32_t>(index_.Enter(node->HasHandle() ? node->name : branchKey, node));
    for (const std::unique_ptr<OPCTag>& child : node->children) {
      pending.emplace_back(child.get(), branchKey + '.' + child->name);
    }
  }
  return size;
}

int64_t TagDatabase::HashSlot(std::string_view key, std::string_view name) const {
  const TagHashIndex::Probe probe = index_.Find(key, [&name](const OPCTag& tag) { return tag.name == name; });
  return probe.record != nullptr ? probe.slot : probe.freeSlot;
}

OPCTag* TagDatabase::HashFindTag(std::string_view accessPath, std::string_view itemId) const {
  if (!index_.IsOn()) return FindTag(accessPath, itemId);
  const std::string fullName = MakeFullItemName(accessPath, itemId, Delimiter());
  const TagHashIndex::Probe probe =
      index_.Find(fullName, [&fullName](const OPCTag& tag) { return tag.name == fullName; });
  if (probe.record != nullptr) return probe.record;
  return probe.complete ? nullptr : WalkTree(fullName);
}

OPCTag* TagDatabase::FindChildHashed(const OPCTag& parent, std::string_view branchKey, std::string_view component,
                                     int64_t* slot) const {
  TagHashIndex::Probe probe;
  OPCTag* child = FindBranch(parent, PathStep{component, TagHashIndex::Hash(branchKey)}, &probe);
  *slot = probe.freeSlot;
  return child;
}

OPCTag* TagDatabase::FindBranch(const OPCTag& parent, const PathStep& step, TagHashIndex::Probe* probe) const {
  const std::string_view component = step.component;
  if (!index_.IsOn()) return FindChild(parent, component);
  *probe = index_.FindByHash(step.keyHash,
                             [&](const OPCTag& tag) { return tag.parent == &parent && tag.name == component; });
  if (probe->record != nullptr) {
    probe->freeSlot = -1;
    return probe->record;
  }
  return probe->complete ? nullptr : FindChild(parent, component);
}

void TagDatabase::EnterInIndex(int64_t slot, DWORD hash, OPCTag& node) {
  if (slot < 0) return;
  index_.Store(slot, hash, &node);
  node.live->hashSlot = static_cast<int32_t>(slot);
}
