#pragma once

#include <QString>

// Where the program keeps its INI files: beside the executable. The variable
// KORVANE_SETTINGS_DIR moves them, so tests never touch the files of an
// installed program or of each other.
class SettingsFiles {
public:
  static QString directory();
  static QString configPath();  // config.ini: server address, timing, running model
  static QString userPath();    // usr.ini: the remembered users
};
