// The address-space tree with its tag handles, the optional hash index and the
// item-name delimiter. Every call except the delimiter's expects the caller to
// hold the server lock.
#pragma once

#include "tags/OPCTag.h"
#include "tags/TagHandleTable.h"
#include "tags/TagHashIndex.h"

#include <atomic>
#include <string>
#include <string_view>
#include <vector>

class TagDatabase {
 public:
  TagDatabase();
  ~TagDatabase();
  TagDatabase(const TagDatabase&) = delete;
  TagDatabase& operator=(const TagDatabase&) = delete;

  char Delimiter() const { return delimiter_.load(); }
  void SetDelimiter(char delimiter) { delimiter_ = delimiter; }

  // The parent of all top-level nodes; it is never removed.
  OPCTag& Root() { return root_; }
  const OPCTag& Root() const { return root_; }

  // Walks the first n-1 components of the full name by exact child names, then
  // takes the child whose stored name is the whole full name. So a top-level
  // branch answers to its own name; a deeper branch answers to nothing. The
  // hash index answers instead of the walk whenever its answer is the walk's
  // (see IndexAnswersLookups).
  OPCTag* FindTag(std::string_view accessPath, std::string_view itemId) const;

  // The leaf a handle names; NULL for an unknown or removed handle.
  OPCTag* TagFromHandle(DWORD handle) const { return handles_.Owner(handle); }
  // Its live record alone, all that an update reads and writes.
  TagLive* LiveFromHandle(DWORD handle) const { return handles_.Lookup(handle); }

  // The first child of that exact name, or NULL.
  static OPCTag* FindChild(const OPCTag& parent, std::string_view name);
  // Appends a new default record under the parent.
  static OPCTag* AddChild(OPCTag& parent, std::string_view name);

  // Creates the leaf and any missing branches on its way, and gives it a
  // handle: the handle, or VORLIX_INVALID_TAG when the name exists already (leaf
  // or top-level branch) or the value cannot be copied.
  DWORD CreateTag(std::string fullName, const VARIANT& value, WORD quality, DWORD readAccess, DWORD writeAccess,
                  int clientItems);

  // Destroys the node and its subtree (every handle in it stops naming
  // anything), then every branch above it left without children. A leaf the
  // host created stays, even when the removed node hung below it.
  void RemoveNode(OPCTag* node);

  // Replaces the hash index by an empty one of TagHashIndex::TableSizeFor(request)
  // slots and enters every existing node; the size, 0 when off.
  UINT SetHashing(UINT request);

  // The slot of the entry for `key` whose record is named `name`; else the first
  // slot on the key's way that a new entry may take; -1 when the index is off
  // or the way has neither.
  int64_t HashSlot(std::string_view key, std::string_view name) const;

  // FindTag through the index where it can answer.
  OPCTag* HashFindTag(std::string_view accessPath, std::string_view itemId) const;

  // The child of `parent` named `component` (the branch entered under
  // `branchKey`), through the index where it can answer. When it returns NULL,
  // `slot` is where the new branch may be entered (or -1).
  OPCTag* FindChildHashed(const OPCTag& parent, std::string_view branchKey, std::string_view component,
                          int64_t* slot) const;

 private:
  // Whether a lookup of a full name through the index gives what the walk of
  // FindTag gives: when every node was named under the delimiter in force.
  // Then a node's place in the tree follows from its name alone, no two
  // siblings share a name, and the one record entered under the full name as
  // its key (a leaf, or a top-level branch) is the walk's answer.
  bool IndexAnswersLookups() const;
  OPCTag* WalkTree(std::string_view fullName) const;

  // A branch on the way to a leaf: its name component and the hash of its key.
  struct PathStep {
    std::string_view component;
    DWORD keyHash;
  };
  // Fills path_ with the branches on the way to the leaf of that name (the
  // hashes only when the index is on); the hash of the leaf's key.
  DWORD SplitPath(std::string_view fullName, char delimiter);
  // FindChildHashed, giving the whole probe (its free slot and the key's hash).
  OPCTag* FindBranch(const OPCTag& parent, const PathStep& step, TagHashIndex::Probe* probe) const;
  void EnterInIndex(int64_t slot, DWORD hash, OPCTag& node);
  // Unlists the node's subtree (handles and index entries) and destroys it.
  void Destroy(OPCTag* node);

  std::atomic<char> delimiter_{'.'};
  OPCTag root_;
  TagHandleTable handles_;
  TagHashIndex index_;
  // The delimiter the nodes were named under, and whether it changed while
  // nodes lived (the tree then holds names split in two ways).
  char namesDelimiter_ = '.';
  bool mixedDelimiters_ = false;
  // CreateTag's path, kept between calls for its capacity.
  std::vector<PathStep> path_;
};
