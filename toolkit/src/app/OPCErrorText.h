// The text a client gets for an error code from GetErrorString.
#pragma once

#include "platform/wintypes.h"

#include <string>

// The OPC table's text for the code; else the system message for it (inserts
// left as they stand); else "<unknown error: 0x%08X %d>" with the code. At most
// 127 characters.
std::string OPCErrorText(HRESULT code);
