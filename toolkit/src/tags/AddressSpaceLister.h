// Reads the address-space tree for the browsing interface: how it is
// organised, the node a browse position names, and the names under a node
// that pass a client's filters. A node with children counts as a branch, one
// without as a leaf. A node's short name is its stored name after the last
// delimiter: a branch's component, a leaf's last name component. Short names
// follow the delimiter in force, so a delimiter changed after tags exist
// splits their names differently. The caller holds the server lock.
#pragma once

#include "tags/OPCTag.h"

#include "platform/opcda.h"
#include "platform/widetext.h"

#include <string>
#include <vector>

class AddressSpaceLister {
 public:
  // Longest name filter used, in characters; longer ones are cut.
  static constexpr size_t kMaxFilterLength = 79;

  // The filters a leaf must pass to be listed.
  struct LeafFilter {
    WideString name;   // a wildcard pattern matched against the full item name, widened; empty passes all
    VARTYPE type;      // the value's type; VT_EMPTY passes all
    DWORD rights;      // every bit needed in the leaf's access rights; 0 passes all
  };

  AddressSpaceLister(const OPCTag& root, char delimiter);

  // Hierarchical when any top-level node has children, else flat.
  OPCNAMESPACETYPE Organization() const;

  // From the root, each component in turn names the first child of that short
  // name (exact case); NULL when one is missing. No components: the root.
  const OPCTag* Resolve(const std::vector<std::string>& position) const;

  // Appends to `names`, for the node at `position`: the stored names of its
  // branches (no filter applies), the short names of its leaves that pass the
  // filter, or, flat, the full names of every leaf below it that passes, depth
  // first in child order. Nothing for a position that names no node or for
  // another browse type. The number of names in `names`.
  int List(const std::vector<std::string>& position, OPCBROWSETYPE type, const LeafFilter& filter,
           std::vector<std::string>& names) const;

 private:
  std::string ShortName(const OPCTag& node) const;
  static bool Passes(const OPCTag& leaf, const LeafFilter& filter);

  const OPCTag& root_;
  char delimiter_;
};
