#pragma once

#include <QString>

// The settings of config.ini, read once at start-up. g_serverAddress, the
// fourth, is declared with the request addresses built from it.
extern QString g_intervalTime;             // toolkit server rate and refresh interval, in ms, as text
extern QString g_writeNotifyIntervalTime;  // read and kept
extern QString g_runningModel;             // "debug" switches debug mode on

// The interval a missing or unreadable "/intervalTime" stands for: the one
// the settings page offers.
constexpr unsigned DefaultIntervalMs = 1000;

// The interval, in ms, an "/intervalTime" text gives: its decimal number when
// it is one a timer can take (0 to INT_MAX), else DefaultIntervalMs. A text
// such as "abc", "-5" or "99999999999" must not turn into a zero that has the
// platform asked for every device's values as fast as the timers can run.
unsigned intervalMs(const QString& intervalTime);

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
