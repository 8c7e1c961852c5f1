// Synchronous reads and writes as a test client makes them: the per-item
// states and errors are copied out of task memory and the blocks freed, as a
// client would.
#pragma once

#include "platform/IOPCSyncIO.h"

#include <vector>

struct SyncRead {
  SyncRead() = default;
  SyncRead(SyncRead&& other) noexcept = default;
  // Clears the values of the states.
  ~SyncRead();
  SyncRead(const SyncRead&) = delete;
  SyncRead& operator=(const SyncRead&) = delete;

  HRESULT hr = E_FAIL;
  std::vector<OPCITEMSTATE> states;
  std::vector<HRESULT> errors;
};

SyncRead ReadItems(IOPCSyncIO* io, OPCDATASOURCE source, std::vector<OPCHANDLE> handles);

struct SyncWrite {
  HRESULT hr;
  std::vector<HRESULT> errors;
};

// Writes values[i] to handles[i]; the values stay the caller's.
SyncWrite WriteItems(IOPCSyncIO* io, std::vector<OPCHANDLE> handles, std::vector<VARIANT> values);
