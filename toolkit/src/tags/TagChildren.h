// The children of a tree node, in creation order. Most nodes are leaves
// without children, so the list costs one pointer until the first child comes.
#pragma once

#include <iterator>
#include <memory>
#include <vector>

class OPCTag;

class TagChildren {
 public:
  using Owned = std::unique_ptr<OPCTag>;
  using iterator = Owned*;
  using const_iterator = const Owned*;
  using reverse_iterator = std::reverse_iterator<iterator>;
  using const_reverse_iterator = std::reverse_iterator<const_iterator>;

  TagChildren() = default;
  TagChildren(TagChildren&&) noexcept = default;
  TagChildren& operator=(TagChildren&&) noexcept = default;
  ~TagChildren();

  bool empty() const { return list_ == nullptr || list_->empty(); }
  size_t size() const { return list_ == nullptr ? 0 : list_->size(); }

  iterator begin() { return list_ == nullptr ? nullptr : list_->data(); }
  iterator end() { return list_ == nullptr ? nullptr : list_->data() + list_->size(); }
  const_iterator begin() const { return list_ == nullptr ? nullptr : list_->data(); }
  const_iterator end() const { return list_ == nullptr ? nullptr : list_->data() + list_->size(); }
  reverse_iterator rbegin() { return reverse_iterator(end()); }
  reverse_iterator rend() { return reverse_iterator(begin()); }
  const_reverse_iterator rbegin() const { return const_reverse_iterator(end()); }
  const_reverse_iterator rend() const { return const_reverse_iterator(begin()); }

  Owned& operator[](size_t i) { return (*list_)[i]; }
  const Owned& operator[](size_t i) const { return (*list_)[i]; }
  Owned& back() { return list_->back(); }

  void push_back(Owned child);
  // Takes the child at that place out of the list; the list goes with its last child.
  void erase(const_iterator position);
  void clear() { list_.reset(); }

 private:
  std::unique_ptr<std::vector<Owned>> list_;
};
