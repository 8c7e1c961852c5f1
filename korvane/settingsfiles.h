#pragma once

#include <QString>

// Where the program keeps its INI files: beside the executable. The variable
// KORVANE_SETTINGS_DIR moves them, so tests never touch the files of an
// installed program or of each other. They hold a scrambled password and the
// server the program logs in to, so only their owner may read them.
class SettingsFiles {
public:
  static QString directory();
  static QString configPath();  // config.ini: server address, timing, running model
  static QString userPath();    // usr.ini: the remembered users

  // Creates the file empty, readable and writable by its owner alone, when it
  // does not exist; an existing file keeps its mode (the settings class keeps
  // it when it rewrites the file). Called before settings are first written.
  static void createOwnerOnly(const QString& path);
};
