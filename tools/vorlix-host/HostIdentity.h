// Who the host registers as: the class identifier the program registers, so a
// client configured for the program finds the host, and the host's own
// description.
#pragma once

#include <windows.h>

// {99B8F472-C037-11D2-80B8-0060975858BE} in its in-memory layout.
inline constexpr BYTE kHostClassIdBytes[16] = {0x72, 0xF4, 0xB8, 0x99, 0x37, 0xC0, 0xD2, 0x11,
                                               0x80, 0xB8, 0x00, 0x60, 0x97, 0x58, 0x58, 0xBE};
inline constexpr char kHostDescription[] = "Zelvo OPC Server (vorlix-host)";
// A running host's stop event is named this, followed by its ProgID.
inline constexpr wchar_t kStopEventPrefix[] = L"Local\\vorlix-host.stop.";
// The data file the host serves when none is named, beside the program.
inline constexpr wchar_t kDemoDataFile[] = L"demo-data.json";
