// The update event and the timer that paces every client's scan at the server
// rate. The event is only ever pulsed; the client worker threads wait on it.
//
// The timer is the timer thread's: the thread owns a hidden window of class
// "LUMOTimerNotify", sets a thread timer at the server rate and runs a message
// loop; each WM_TIMER either pulses the event (free-threaded mode) or runs the
// scan of every client itself (apartment mode, and when COM could not be
// initialised). A new rate reaches the thread as WM_USER+1 to its window,
// which re-arms the timer. The window is message-only: it is never shown, and
// needs no desktop. The apartment-mode scan runs on the timer thread too, not
// on the host's thread from its message loop. Under real COM the clients'
// sinks then belong to the host's apartment and cannot be called from here,
// so that mode delivers nothing on Windows; hosts use the free-threaded model.
#pragma once

#include "platform/windowmessages.h"
#include "platform/wintypes.h"
#include "runtime/UpdatePulse.h"

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>

class UpdateTimer {
 public:
  enum class Job { PulseUpdateEvent, ScanClients };

  // The shortest period the timer allows, in milliseconds.
  static constexpr UINT kMinimumRate = 10;
  // The message that re-arms the timer with the current rate.
  static constexpr UINT kRateChanged = WM_USER + 1;

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

  // Sets the job and the rate and runs the timer: the first call starts its
  // thread, later ones re-arm the same timer. False when the thread or its
  // window cannot be made.
  bool Start(UINT rate, Job job);
  // Stores the rate and re-arms a running timer with it at once.
  void SetRate(UINT rate);
  // Ends the timer thread and waits for it (and so for a running job); a later
  // Start starts a new one.
  void Stop();

 private:
  static DWORD WINAPI ThreadProc(LPVOID self);
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD);

  // The timer thread's life: makes the window, tells Start whether it could,
  // then runs the message loop until told to quit.
  void Run();
  void Arm();

  const std::function<void()> scanClients_;
  UpdatePulse event_;
  std::atomic<UINT> rate_{kMinimumRate};
  std::atomic<Job> job_{Job::PulseUpdateEvent};
  std::mutex threadMutex_;
  HANDLE thread_ = nullptr;
  DWORD threadId_ = 0;
  // The timer thread's window and thread timer, used on that thread only
  // (the window is also the target of rate changes).
  std::atomic<HWND> window_{nullptr};
  UINT_PTR timerId_ = 0;
  // Start's wait for the thread's first answer.
  std::mutex startMutex_;
  std::condition_variable started_;
  enum class Startup { Pending, Running, Failed } startup_ = Startup::Pending;
};
