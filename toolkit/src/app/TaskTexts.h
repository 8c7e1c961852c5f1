// Arrays of wide texts handed to a COM client: the array and every text in it
// come from the task allocator, and the client frees each text, then the array.
#pragma once

#include "platform/wintypes.h"

#include <vector>

// Wide copies of the 8-bit texts, in order, in a new array. NULL when any
// block cannot be had; what was allocated before is freed again. An empty list
// gives a valid (empty) array.
LPWSTR* AllocTaskTexts(const std::vector<const char*>& texts);
