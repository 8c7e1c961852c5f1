// One object pinned (see ObjectLifetime) while a call that runs without the
// server lock is inside it, or none; unpinned when this goes.
#pragma once

#include <utility>

template <class Object>
class Pinned {
 public:
  // Pins the object, when there is one; the caller holds whatever keeps it
  // alive until then (the server lock, say).
  explicit Pinned(Object* object) : object_(object) {
    if (object_ != nullptr) object_->Pin();
  }
  Pinned(Pinned&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
  Pinned(const Pinned&) = delete;
  Pinned& operator=(const Pinned&) = delete;
  Pinned& operator=(Pinned&&) = delete;
  ~Pinned() {
    if (object_ != nullptr) object_->Unpin();
  }

  Object* get() const { return object_; }
  Object* operator->() const { return object_; }
  explicit operator bool() const { return object_ != nullptr; }

 private:
  Object* object_;
};
