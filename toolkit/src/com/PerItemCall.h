// What the per-item OPC methods share: their output arrays come from the task
// allocator, zero-filled, one element per item, and the call answers S_FALSE
// when any item failed.
#pragma once

#include "app/CVorlixApp.h"

// `count` elements of T from the task allocator, zero-filled; NULL when there is no memory.
template <class T>
T* AllocPerItem(DWORD count) {
  return static_cast<T*>(VorlixApp().TaskAlloc(sizeof(T) * count));
}

// S_OK when every item's error is S_OK, else S_FALSE.
HRESULT PerItemOutcome(const HRESULT* errors, DWORD count);
