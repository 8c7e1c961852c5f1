// COM initialisation of a thread. Each thread that uses COM initialises it once
// per use, in one concurrency model, and uninitialises it as often as it
// initialised it. The state is the thread's own: another thread is not
// affected.
#pragma once

#include "platform/hresult.h"
#include "platform/wintypes.h"

constexpr DWORD COINIT_MULTITHREADED = 0x0;
constexpr DWORD COINIT_APARTMENTTHREADED = 0x2;
constexpr DWORD COINIT_DISABLE_OLE1DDE = 0x4;
constexpr DWORD COINIT_SPEED_OVER_MEMORY = 0x8;

// S_OK for the thread's first initialisation, S_FALSE when it is initialised
// already in the same model (each counts and needs its CoUninitialize),
// RPC_E_CHANGED_MODE when it is initialised in the other model (not counted).
// `reserved` must be NULL (E_INVALIDARG). The two hint flags change nothing.
HRESULT CoInitializeEx(LPVOID reserved, DWORD coInit);
// CoInitializeEx in the apartment model.
HRESULT CoInitialize(LPVOID reserved);
// Undoes one successful initialisation of the calling thread; does nothing on a
// thread that is not initialised.
void CoUninitialize();
