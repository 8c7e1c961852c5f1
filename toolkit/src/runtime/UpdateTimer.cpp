#include "runtime/UpdateTimer.h"

#include "platform/timerqueue.h"

#include <algorithm>

UpdateTimer::UpdateTimer(std::function<void()> scanClients)
    : scanClients_(std::move(scanClients)) {}

UpdateTimer::~UpdateTimer() { Stop(); }

bool UpdateTimer::Start(UINT rate, Job job) {
  job_ = job;
  rate_ = std::max(rate, kMinimumRate);
  std::lock_guard<std::mutex> guard(timerMutex_);
  if (timer_ != nullptr) return ChangeTimerQueueTimer(nullptr, timer_, rate_, rate_) != FALSE;
  return CreateTimerQueueTimer(&timer_, nullptr, &UpdateTimer::OnTimer, this, rate_, rate_, WT_EXECUTEDEFAULT) != FALSE;
}

void UpdateTimer::SetRate(UINT rate) {
  rate_ = std::max(rate, kMinimumRate);
  std::lock_guard<std::mutex> guard(timerMutex_);
  if (timer_ != nullptr) ChangeTimerQueueTimer(nullptr, timer_, rate_, rate_);
}

void UpdateTimer::Stop() {
  std::lock_guard<std::mutex> guard(timerMutex_);
  if (timer_ == nullptr) return;
  DeleteTimerQueueTimer(nullptr, timer_, INVALID_HANDLE_VALUE);
  timer_ = nullptr;
}

void CALLBACK UpdateTimer::OnTimer(PVOID self, BOOLEAN) {
  UpdateTimer& timer = *static_cast<UpdateTimer*>(self);
  if (timer.job_ == Job::ScanClients) {
    timer.scanClients_();
  } else {
    timer.Pulse();
  }
}
