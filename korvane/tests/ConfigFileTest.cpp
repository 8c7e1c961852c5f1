#include <QFile>
#include <QSettings>

#include <gtest/gtest.h>

#include "configfile.h"
#include "debugmode.h"
#include "support/settingsfolder.h"

TEST(DebugModeTest, OnlyAnExactFirstArgumentOrAnExactRunningModelSwitchesItOn) {
  const struct {
    QStringList arguments;
    QString runningModel;
    bool on;
  } cases[] = {
      {{"korvane", "--debug"}, "", true},
      {{"korvane", "--debug", "x"}, "", true},
      {{"korvane", "x", "--debug"}, "", false},
      {{"korvane", "--DEBUG"}, "", false},
      {{"korvane", "--debugx"}, "", false},
      {{"korvane"}, "Debug", false},
      {{"korvane"}, "debug", true},
      {{"korvane", "--other"}, "debug", true},
      {{"korvane"}, "", false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(debugModeRequested(c.arguments, c.runningModel), c.on)
        << c.arguments.join(' ').toStdString() << " / " << c.runningModel.toStdString();
}

TEST(ConfigFileTest, MissingFileGivesFourEmptySettings) {
  const SettingsFolder folder;
  QString values[4] = {"old", "old", "old", "old"};
  readConfigFile(values[0], values[1], values[2], values[3]);
  for (const QString& value : values) EXPECT_EQ(value, "");
}

TEST(ConfigFileTest, ReadsTheFourTopLevelKeysAsTheyStand) {
  const SettingsFolder folder;
  QFile file(folder.configPath());
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("ServerAddress=platform.example:8080\n"
             "intervalTime=\" 1000 \"\n"
             "RunningModel=Debug\n"
             "[General]\n"
             "WriteNotifyIntervalTime=abc\n");
  file.close();

  QString serverAddress, intervalTime, writeNotifyIntervalTime, runningModel;
  readConfigFile(serverAddress, intervalTime, writeNotifyIntervalTime, runningModel);
  EXPECT_EQ(serverAddress, "platform.example:8080");
  EXPECT_EQ(intervalTime, " 1000 ");
  EXPECT_EQ(writeNotifyIntervalTime, "abc");
  EXPECT_EQ(runningModel, "Debug");
}

TEST(ConfigFileTest, AnIntervalThatIsMissingOrNotAUsableNumberMeansOneSecond) {
  const struct {
    const char* text;
    unsigned ms;
  } cases[] = {
      {"", 1000},          {"abc", 1000},         {"-5", 1000}, {"99999999999", 1000}, {"2147483648", 1000},
      {"1.5", 1000},       {"250", 250},          {"0", 0},     {"2147483647", 2147483647u},
  };
  for (const auto& c : cases) EXPECT_EQ(intervalMs(c.text), c.ms) << c.text;
}
