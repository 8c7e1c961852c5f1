// The update event and the timer that paces every client's scan at the server
// rate. The event is only ever pulsed; the client worker threads wait on it. The timer either pulses the event (free-threaded mode)
// or runs the scan of every client itself (apartment mode, and when COM could
// not be initialised). On the target platform the apartment-mode scan runs on
// the host's own thread from its message loop; a Linux host has no such loop,
// so here it runs on the timer's thread, which is the toolkit's own.
#pragma once

#include "platform/wintypes.h"
#include "runtime/UpdatePulse.h"

#include <atomic>
#include <functional>
#include <mutex>

class UpdateTimer {
 public:
  enum class Job { PulseUpdateEvent, ScanClients };

  // The shortest period the timer allows, in milliseconds.
  static constexpr UINT kMinimumRate = 10;

  // `scanClients` is the apartment-mode job.
  explicit UpdateTimer(std::function<void()> scanClients);
  // Stops the timer.
  ~UpdateTimer();
  UpdateTimer(const UpdateTimer&) = delete;
  UpdateTimer& operator=(const UpdateTimer&) = delete;

  UpdatePulse& Event() { return event_; }
  void Pulse() { event_.Pulse(); }

  // The period in force, never below kMinimumRate.
  UINT Rate() const { return rate_.load(); }

  // Sets the job and the rate and runs the timer: the first call starts it,
  // later ones re-arm the same timer. False when its thread cannot start.
  bool Start(UINT rate, Job job);
  // Stores the rate and re-arms a running timer with it at once.
  void SetRate(UINT rate);
  // Stops the timer and waits for a running job to finish; a later Start
  // starts a new one.
  void Stop();

 private:
  static void CALLBACK OnTimer(PVOID self, BOOLEAN);

  const std::function<void()> scanClients_;
  UpdatePulse event_;
  std::atomic<UINT> rate_{kMinimumRate};
  std::atomic<Job> job_{Job::PulseUpdateEvent};
  std::mutex timerMutex_;
  HANDLE timer_ = nullptr;
};
