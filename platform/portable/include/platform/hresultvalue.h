// An HRESULT from its published 32-bit value, for constants written in hex.
#pragma once

#include "platform/wintypes.h"

#include <cstdint>

constexpr HRESULT MakeHResult(uint32_t value) { return static_cast<HRESULT>(value); }
