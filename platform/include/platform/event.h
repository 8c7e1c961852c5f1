// Events: kernel objects that threads wait on until another thread signals them.
// A manual-reset event stays signalled until ResetEvent and releases every
// waiter; an auto-reset event releases one waiter and resets itself.
//
// PulseEvent releases exactly the threads waiting at that moment and leaves the
// event non-signalled. A thread that has not yet begun to wait misses the pulse,
// so a worker loop that must not miss one notes the event's generation first and
// waits "after" it:
//
//   for (;;) {
//     ULONGLONG seen = GetEventGeneration(event);
//     if (!running) break;
//     ... work ...
//     WaitForEventAfter(event, seen, INFINITE);
//   }
//
// The stopper clears `running` and then pulses: whether the pulse comes before
// or after the worker's wait begins, the worker sees it.
#pragma once

#include "platform/kernelobject.h"

// An unnamed event (a name gives NULL with ERROR_NOT_SUPPORTED); the handle is closed with CloseHandle.
HANDLE CreateEvent(LPSECURITY_ATTRIBUTES attributes, BOOL manualReset, BOOL initialState, LPCSTR name);
BOOL SetEvent(HANDLE event);
BOOL ResetEvent(HANDLE event);
BOOL PulseEvent(HANDLE event);

// A count that every SetEvent and PulseEvent raises; 0 for a handle that is no event.
ULONGLONG GetEventGeneration(HANDLE event);
// Returns WAIT_OBJECT_0 at once when the event was set or pulsed after
// `generation` was read, or is signalled; otherwise waits as WaitForSingleObject
// does. Meant for manual-reset events: on an auto-reset event an earlier set or
// pulse also counts, even when another thread's wait already took it.
DWORD WaitForEventAfter(HANDLE event, ULONGLONG generation, DWORD milliseconds);

// Number of threads waiting on the event now; -1 for a handle that is no event.
// For tests that must know a waiter has begun to wait.
LONG GetEventWaiterCount(HANDLE event);
