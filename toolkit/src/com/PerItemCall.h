// What the per-item OPC methods share: their output arrays are task arrays,
// one element per item, and the call answers S_FALSE when any item failed.
#pragma once

#include "app/TaskArray.h"

// S_OK when every item's error is S_OK, else S_FALSE.
HRESULT PerItemOutcome(const HRESULT* errors, DWORD count);
