#include "com/KeepAlive.h"

void KeepAlive::Add() {
  std::lock_guard<std::mutex> guard(mutex_);
  ++users_;
}

void KeepAlive::Drop() {
  std::lock_guard<std::mutex> guard(mutex_);
  if (--users_ == 0) unused_.notify_all();
}

void KeepAlive::WaitUntilUnused() {
  std::unique_lock<std::mutex> lock(mutex_);
  unused_.wait(lock, [this] { return users_ == 0; });
}
