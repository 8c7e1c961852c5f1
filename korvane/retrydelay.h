#pragma once

#include <algorithm>

// The wait before the next try of something that keeps failing: none at
// first, then `firstMs`, doubling after every failure up to `longestMs`, and
// none again after a success.
class RetryDelay {
public:
  RetryDelay(int firstMs, int longestMs) : firstMs_(firstMs), longestMs_(longestMs) {}

  int currentMs() const { return currentMs_; }
  void failed() { currentMs_ = currentMs_ == 0 ? firstMs_ : std::min(2 * currentMs_, longestMs_); }
  void succeeded() { currentMs_ = 0; }

private:
  int firstMs_;
  int longestMs_;
  int currentMs_ = 0;
};
