#pragma once

#include "platform/wintypes.h"

// The program's autostart entry: the path of its executable as the value
// "ZelvoOpcstart" under the current user's Run key of the registry.
class Autostart {
public:
  static const WCHAR runKey[];
  static const WCHAR valueName[];

  // Makes the value hold the executable's full path, writing only when it
  // holds something else. False when the Run key cannot be opened with all
  // access or the value cannot be written.
  static bool switchOn();
  // Deletes the value; a value that is not there is no failure. False when
  // the Run key cannot be opened with all access or the value stays.
  static bool switchOff();
};
