// Threads as kernel objects. A thread handle is signalled when the thread has
// ended; closing the handle never stops the thread, and the thread object lives
// until both its handles are closed and the thread has ended.
#pragma once

#include "platform/kernelobject.h"

typedef DWORD (*LPTHREAD_START_ROUTINE)(LPVOID parameter);

constexpr DWORD STILL_ACTIVE = 259;

// Starts `startAddress(parameter)` on a new thread. Only creation flags 0 are
// supported (others give NULL with ERROR_INVALID_PARAMETER); the stack size is
// the system's. The thread's id goes to `threadId` when that is not NULL.
HANDLE CreateThread(LPSECURITY_ATTRIBUTES attributes, SIZE_T stackSize, LPTHREAD_START_ROUTINE startAddress,
                    LPVOID parameter, DWORD creationFlags, LPDWORD threadId);
// The value the thread's function returned, or STILL_ACTIVE while it runs.
BOOL GetExitCodeThread(HANDLE thread, LPDWORD exitCode);

// A number naming the calling thread, never 0, unique among the process's threads.
DWORD GetCurrentThreadId();
// A pseudo handle meaning "the calling thread"; it needs no closing.
HANDLE GetCurrentThread();
void Sleep(DWORD milliseconds);

// Test hook: the next `count` thread starts (CreateThread, and the threads of
// timer-queue timers) fail as when the system has no room for another thread.
void ThreadFailNextCreations(ULONG count);
