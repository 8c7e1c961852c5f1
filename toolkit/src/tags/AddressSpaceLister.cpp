#include "tags/AddressSpaceLister.h"

#include "tags/ItemName.h"
#include "tags/MatchPattern.h"

#include <algorithm>

AddressSpaceLister::AddressSpaceLister(const OPCTag& root, char delimiter) : root_(root), delimiter_(delimiter) {}

OPCNAMESPACETYPE AddressSpaceLister::Organization() const {
  const bool nested = std::any_of(root_.children.begin(), root_.children.end(),
                                  [](const std::unique_ptr<OPCTag>& top) { return !top->children.empty(); });
  return nested ? OPC_NS_HIERARCHIAL : OPC_NS_FLAT;
}

const OPCTag* AddressSpaceLister::Resolve(const std::vector<std::string>& position) const {
  const OPCTag* node = &root_;
  for (const std::string& component : position) {
    const auto child = std::find_if(node->children.begin(), node->children.end(),
                                    [&](const std::unique_ptr<OPCTag>& c) { return ShortName(*c) == component; });
    if (child == node->children.end()) return nullptr;
    node = child->get();
  }
  return node;
}

int AddressSpaceLister::List(const std::vector<std::string>& position, OPCBROWSETYPE type, const LeafFilter& filter,
                             std::vector<std::string>& names) const {
  const OPCTag* start = Resolve(position);
  if (start == nullptr) return static_cast<int>(names.size());
  switch (type) {
    case OPC_BRANCH:
      for (const std::unique_ptr<OPCTag>& child : start->children) {
        if (!child->children.empty()) names.push_back(child->name);
      }
      break;
    case OPC_LEAF:
      for (const std::unique_ptr<OPCTag>& child : start->children) {
        if (child->children.empty() && Passes(*child, filter)) names.push_back(ShortName(*child));
      }
      break;
    case OPC_FLAT: {
      // Depth first without recursion: the tree may be deep.
      std::vector<const OPCTag*> pending;
      const auto visitChildrenNext = [&pending](const OPCTag& node) {
        for (auto child = node.children.rbegin(); child != node.children.rend(); ++child) pending.push_back(child->get());
      };
      visitChildrenNext(*start);
      while (!pending.empty()) {
        const OPCTag* node = pending.back();
        pending.pop_back();
        if (!node->children.empty()) {
          visitChildrenNext(*node);
        } else if (Passes(*node, filter)) {
          names.push_back(node->name);
        }
      }
      break;
    }
    default:
      break;
  }
  return static_cast<int>(names.size());
}

std::string AddressSpaceLister::ShortName(const OPCTag& node) const {
  const size_t last = LastDelimiter(node.name, delimiter_);
  return last == std::string::npos ? node.name : node.name.substr(last + 1);
}

bool AddressSpaceLister::Passes(const OPCTag& leaf, const LeafFilter& filter) {
  if (filter.type != VT_EMPTY && leaf.live->value.vt != filter.type) return false;
  if (filter.rights != 0 && (leaf.AccessRights() & filter.rights) != filter.rights) return false;
  return filter.name.empty() || MatchPattern(WidenAnsi(leaf.name).c_str(), filter.name.c_str(), TRUE);
}
