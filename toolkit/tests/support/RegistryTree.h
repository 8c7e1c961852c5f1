// The keys and values below a registry key, one line per key in enumeration
// order: its path, then " name=text" for each value ("@" is the default
// value). Values of the key itself come first, on a line of their own whose
// path is ".". A value that is not REG_SZ text with exactly one terminating zero
// shows as " name=<type T, N bytes>", so a comparison of lines catches it.
#pragma once

#include "platform/registry.h"

#include <string>
#include <vector>

std::vector<std::string> RegistryTree(HKEY key);
