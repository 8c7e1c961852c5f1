// Objects taken from a list under the server lock, each pinned (see
// ObjectLifetime) so that it stays while a walk that runs without the lock is
// inside it; the list unpins them when it goes. An unpin may delete a group or
// an event subscription that left its list meanwhile, so a list of those goes
// without the lock held; a server object is deleted by its worker thread only.
#pragma once

#include <vector>

template <class Object>
class PinnedList {
 public:
  explicit PinnedList(std::vector<Object*> objects) : objects_(std::move(objects)) {
    for (Object* object : objects_) object->Pin();
  }
  ~PinnedList() {
    for (Object* object : objects_) object->Unpin();
  }
  PinnedList(const PinnedList&) = delete;
  PinnedList& operator=(const PinnedList&) = delete;

  typename std::vector<Object*>::const_iterator begin() const { return objects_.begin(); }
  typename std::vector<Object*>::const_iterator end() const { return objects_.end(); }
  int Size() const { return static_cast<int>(objects_.size()); }

 private:
  const std::vector<Object*> objects_;
};
