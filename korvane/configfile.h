#pragma once

#include <QString>

// The settings of config.ini, read once at start-up. g_serverAddress, the
// fourth, is declared with the request addresses built from it.
extern QString g_intervalTime;             // toolkit server rate and refresh interval, in ms, as text
extern QString g_writeNotifyIntervalTime;  // read and kept
extern QString g_runningModel;             // "debug" switches debug mode on

// Reads "/ServerAddress", "/intervalTime", "/WriteNotifyIntervalTime" and
// "/RunningModel" of config.ini as they stand; a missing file or key gives "".
void readConfigFile(QString& serverAddress, QString& intervalTime, QString& writeNotifyIntervalTime,
                    QString& runningModel);

// Sets "/ServerAddress" and "/intervalTime" of config.ini to these texts as
// they stand, leaving the other keys alone. False when the file could not be
// written. A new file is readable by its owner alone.
bool writeServerSettings(const QString& serverAddress, const QString& intervalTime);
// Sets "/ServerAddress" alone, as writeServerSettings does.
bool writeServerAddress(const QString& serverAddress);
