#include "settingsfolder.h"

SettingsFolder::SettingsFolder() { qputenv("KORVANE_SETTINGS_DIR", dir_.path().toLocal8Bit()); }

SettingsFolder::~SettingsFolder() { qunsetenv("KORVANE_SETTINGS_DIR"); }
