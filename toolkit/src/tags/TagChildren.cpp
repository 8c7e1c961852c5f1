#include "tags/TagChildren.h"

#include "tags/OPCTag.h"

TagChildren::~TagChildren() = default;

void TagChildren::push_back(Owned child) {
  if (list_ == nullptr) list_ = std::make_unique<std::vector<Owned>>();
  list_->push_back(std::move(child));
}

void TagChildren::erase(const_iterator position) {
  list_->erase(list_->begin() + (position - begin()));
  if (list_->empty()) list_.reset();
}
