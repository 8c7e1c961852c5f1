// Timer-queue timers: a callback run after a due time and then every period,
// until the timer is deleted. Each timer runs its callbacks one at a time on a
// thread of its own. A change of due time and period applies at once: the next
// callback comes the new due time after the change, whatever the old period.
#pragma once

#include "platform/kernelobject.h"

typedef void(CALLBACK* WAITORTIMERCALLBACK)(PVOID parameter, BOOLEAN timerOrWaitFired);

constexpr ULONG WT_EXECUTEDEFAULT = 0x0;

// Starts a timer of the default queue (`timerQueue` NULL) that calls
// `callback(parameter, TRUE)` `dueTime` ms from now and then every `period` ms
// (once only for period 0). The handle goes to `newTimer`; it is given back
// with DeleteTimerQueueTimer, never CloseHandle. FALSE with
// ERROR_INVALID_PARAMETER for another queue, other flags or a NULL argument, and
// with ERROR_NOT_ENOUGH_MEMORY when the timer's thread cannot start.
BOOL CreateTimerQueueTimer(PHANDLE newTimer, HANDLE timerQueue, WAITORTIMERCALLBACK callback, PVOID parameter,
                           DWORD dueTime, DWORD period, ULONG flags);
// Re-arms the timer: the next callback `dueTime` ms from now, then every `period` ms.
BOOL ChangeTimerQueueTimer(HANDLE timerQueue, HANDLE timer, ULONG dueTime, ULONG period);
// Stops the timer; no callback starts after this call. With `completionEvent`
// INVALID_HANDLE_VALUE the call returns once a running callback has finished
// and the timer's thread has ended. With NULL it does not wait: FALSE with
// ERROR_IO_PENDING when a callback is running (the timer is deleted all the
// same). A callback deleting its own timer cannot wait for itself and is
// answered as with NULL. Other completion events are not supported
// (ERROR_INVALID_PARAMETER).
BOOL DeleteTimerQueueTimer(HANDLE timerQueue, HANDLE timer, HANDLE completionEvent);
