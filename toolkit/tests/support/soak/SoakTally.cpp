#include "support/soak/SoakTally.h"

void SoakTally::Problem(const std::string& text) {
  std::lock_guard<std::mutex> guard(mutex_);
  ++problemCount_;
  if (problems_.size() < kKeptProblems) problems_.push_back(text);
}

std::vector<std::string> SoakTally::Problems() const {
  std::lock_guard<std::mutex> guard(mutex_);
  return problems_;
}

uint64_t SoakTally::ProblemCount() const {
  std::lock_guard<std::mutex> guard(mutex_);
  return problemCount_;
}
