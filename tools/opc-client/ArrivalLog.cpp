#include "ArrivalLog.h"

#include <chrono>

void ArrivalLog::Add(const std::string& line) {
  std::lock_guard<std::mutex> lock(mutex_);
  // Lines beyond the number asked for are not printed: the command's output
  // is exactly what it promised.
  if (wanted_ != 0 && lines_.size() >= wanted_) return;
  lines_.push_back(line);
  out_ << line << std::endl;
  changed_.notify_all();
}

void ArrivalLog::Fail(const std::string& reason) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (failure_.empty()) failure_ = reason;
  changed_.notify_all();
}

void ArrivalLog::Stop() {
  std::lock_guard<std::mutex> lock(mutex_);
  stopped_ = true;
  changed_.notify_all();
}

bool ArrivalLog::Wait(DWORD timeoutMs) {
  std::unique_lock<std::mutex> lock(mutex_);
  const auto done = [&] {
    return stopped_ || !failure_.empty() || (wanted_ != 0 && lines_.size() >= wanted_);
  };
  if (timeoutMs == INFINITE) {
    changed_.wait(lock, done);
  } else {
    changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), done);
  }
  if (!failure_.empty()) return false;
  return wanted_ == 0 ? stopped_ : lines_.size() >= wanted_;
}

unsigned ArrivalLog::Count() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return static_cast<unsigned>(lines_.size());
}

std::vector<std::string> ArrivalLog::Lines() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return lines_;
}

std::string ArrivalLog::Failure() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return failure_;
}
