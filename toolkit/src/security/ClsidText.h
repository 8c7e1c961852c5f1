// The two forms a server's class identifier takes outside the library: the 16
// bytes the host hands over, and the text the registry keys are named by.
#pragma once

#include "platform/guid.h"

#include <string>

// The identifier in its in-memory layout (the first three fields little-endian).
CLSID ClsidFromBytes(const BYTE* bytes);

// "{xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}" in lower-case hexadecimal, every
// field zero-padded to its full width.
std::string ClsidToText(const CLSID& clsid);
