#include <functional>

#include <sys/stat.h>

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "autostart.h"
#include "loginsession.h"
#include "modalboxcloser.h"
#include "platform/hresult.h"
#include "platform/registry.h"
#include "platform/registrystore.h"
#include "serverendpoints.h"
#include "softwaresettingdlg.h"
#include "support/settingsfolder.h"

namespace {

const QString user = QStringLiteral("13800000000");

class SoftwareSettingDlgTest : public ::testing::Test {
protected:
  void SetUp() override {
    qputenv("ZELVO_REGISTRY_DIR", registry.path().toLocal8Bit());
    RegistryStore::Instance().Reset();
    g_session.user = user;
  }

  void TearDown() override {
    RegistryStore::Instance().Reset();
    g_session = LoginSession();
  }

  static void setIni(const QString& path, const QVariantMap& values) {
    QSettings file(path, QSettings::IniFormat);
    for (auto it = values.begin(); it != values.end(); ++it) file.setValue(it.key(), it.value());
  }

  static QVariant ini(const QString& path, const QString& key) { return QSettings(path, QSettings::IniFormat).value(key); }

  // The Run value as text, "(none)" when there is none.
  static QString runValue() {
    WCHAR text[4096] = {};
    DWORD bytes = sizeof text;
    const LSTATUS status = RegGetValueW(HKEY_CURRENT_USER, Autostart::runKey, Autostart::valueName, RRF_RT_REG_SZ,
                                        nullptr, text, &bytes);
    return status == ERROR_SUCCESS ? QString::fromUtf16(text) : QStringLiteral("(none)");
  }

  static void setRunValue(DWORD type, const QString& text) {
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, Autostart::runKey, 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExW(key, Autostart::valueName, 0, type, reinterpret_cast<const BYTE*>(text.utf16()),
                             static_cast<DWORD>((text.size() + 1) * 2)),
              ERROR_SUCCESS);
    RegCloseKey(key);
  }

  // The registry file of the current user is replaced whole on every write.
  ino_t userRegistryFile() const {
    struct stat status {};
    ::stat(QDir(registry.path()).filePath("HKEY_CURRENT_USER.txt").toLocal8Bit().constData(), &status);
    return status.st_ino;
  }

  // Confirms the page and gives the boxes it showed.
  static QList<ModalBoxCloser::ClosedBox> confirm(softwareSettingDlg& page) {
    ModalBoxCloser closer;
    page.findChild<QPushButton*>("comfirmPushButton")->click();
    return closer.closedBoxes();
  }

  static QLineEdit* edit(softwareSettingDlg& page, const char* name) { return page.findChild<QLineEdit*>(name); }
  static QCheckBox* box(softwareSettingDlg& page, const char* name) { return page.findChild<QCheckBox*>(name); }

  SettingsFolder settings;
  QTemporaryDir registry;
};

}  // namespace

TEST_F(SoftwareSettingDlgTest, ShowsTheFilesValuesForTheLoggedInUserAndTheDefaultsForMissingOnes) {
  {
    softwareSettingDlg page;
    EXPECT_EQ(edit(page, "AddresslineEdit")->text(), ServerEndpoints::mainSavedAddress());
    EXPECT_EQ(edit(page, "intervallineEdit")->text(), "1000");
    EXPECT_FALSE(box(page, "selfLogin_checkBox")->isChecked());
    EXPECT_FALSE(box(page, "selfStart_checkBox")->isChecked());
  }

  setIni(settings.configPath(), {{"ServerAddress", "platform.example:9000"}, {"intervalTime", "250"}});
  setIni(settings.userPath(), {{user + "/isAutoLogin", "x"},
                               {user + "/isSelfStart", 1},
                               {"other/isAutoLogin", 1},
                               {"other/isSelfStart", 0}});
  softwareSettingDlg page;
  EXPECT_EQ(page.objectName(), "softwareSettingDlg");
  EXPECT_EQ(edit(page, "AddresslineEdit")->text(), "platform.example:9000");
  EXPECT_EQ(edit(page, "intervallineEdit")->text(), "250");
  EXPECT_FALSE(box(page, "selfLogin_checkBox")->isChecked());
  EXPECT_TRUE(box(page, "selfStart_checkBox")->isChecked());
}

TEST_F(SoftwareSettingDlgTest, ConfirmWritesTheFieldsAsTheyStandTheUsersFlagsAndTheRunValue) {
  setIni(settings.configPath(), {{"ServerAddress", "platform.example:9000"}, {"RunningModel", "debug"}});
  setIni(settings.userPath(), {{"other/isAutoLogin", 1}, {"other/isSelfStart", 1}});
  softwareSettingDlg page;
  edit(page, "AddresslineEdit")->clear();
  edit(page, "intervallineEdit")->setText(" 50x ");
  box(page, "selfLogin_checkBox")->setChecked(true);
  box(page, "selfStart_checkBox")->setChecked(true);

  const QList<ModalBoxCloser::ClosedBox> boxes = confirm(page);
  ASSERT_EQ(boxes.size(), 1);
  EXPECT_EQ(boxes[0].title, "save configuration");
  EXPECT_EQ(boxes[0].text, "Configuration File saved successfully");
  EXPECT_EQ(boxes[0].icon, QMessageBox::Information);
  EXPECT_EQ(boxes[0].buttons, QStringList{"OK"});

  EXPECT_EQ(ini(settings.configPath(), "ServerAddress"), "");
  EXPECT_EQ(ini(settings.configPath(), "intervalTime"), " 50x ");
  EXPECT_EQ(ini(settings.configPath(), "RunningModel"), "debug");
  EXPECT_EQ(ini(settings.userPath(), user + "/isAutoLogin"), "1");
  EXPECT_EQ(ini(settings.userPath(), user + "/isSelfStart"), "1");
  EXPECT_EQ(runValue(), QCoreApplication::applicationFilePath());

  box(page, "selfLogin_checkBox")->setChecked(false);
  box(page, "selfStart_checkBox")->setChecked(false);
  EXPECT_EQ(confirm(page).size(), 1);
  EXPECT_EQ(ini(settings.userPath(), user + "/isAutoLogin"), "0");
  EXPECT_EQ(ini(settings.userPath(), user + "/isSelfStart"), "0");
  EXPECT_EQ(runValue(), "(none)");
  EXPECT_EQ(ini(settings.userPath(), "other/isAutoLogin"), "1");
  EXPECT_EQ(ini(settings.userPath(), "other/isSelfStart"), "1");
}

TEST_F(SoftwareSettingDlgTest, TheRunValueIsWrittenOnlyWhenItHoldsSomethingElse) {
  softwareSettingDlg page;
  box(page, "selfStart_checkBox")->setChecked(true);
  const QString path = QCoreApplication::applicationFilePath();

  setRunValue(REG_SZ, path);
  const ino_t before = userRegistryFile();
  confirm(page);
  EXPECT_EQ(userRegistryFile(), before);

  for (const auto& stored : {std::make_pair(REG_SZ, QStringLiteral("/opt/moved/korvane")),
                             std::make_pair(REG_SZ, path + "x"), std::make_pair(REG_EXPAND_SZ, path)}) {
    setRunValue(stored.first, stored.second);
    confirm(page);
    DWORD type = REG_NONE;
    RegGetValueW(HKEY_CURRENT_USER, Autostart::runKey, Autostart::valueName, RRF_RT_ANY, &type, nullptr, nullptr);
    EXPECT_EQ(type, REG_SZ) << stored.second.toStdString();
    EXPECT_EQ(runValue(), path) << stored.second.toStdString();
  }
}

TEST_F(SoftwareSettingDlgTest, BoxesWhenTheRunKeyOrAFileCannotBeWritten) {
  const QString saved = QStringLiteral("save configuration|Configuration File saved successfully");
  const QString notSaved = QStringLiteral("save configuration|Configuration File could not be saved");
  const QString runKeyWarning = QStringLiteral("警告|\n系统参数错误,不能随系统启动n");
  const struct {
    const char* name;
    bool selfStart;
    std::function<void(const SettingsFolder&)> prepare;
    QStringList boxes;  // title|text of each box, in order
  } cases[] = {
      {"run key refused, autostart on", true, [](const SettingsFolder&) { RegistryStore::Instance().SetRefuseWrites(true); },
       {runKeyWarning, saved}},
      {"run key refused, autostart off", false,
       [](const SettingsFolder&) { RegistryStore::Instance().SetRefuseWrites(true); }, {saved}},
      {"config.ini not writable", false, [](const SettingsFolder& folder) { QDir().mkpath(folder.configPath()); },
       {notSaved}},
      {"usr.ini not writable", true, [](const SettingsFolder& folder) { QDir().mkpath(folder.userPath()); },
       {notSaved}},
  };
  for (const auto& c : cases) {
    const SettingsFolder folder;
    RegistryStore::Instance().Reset();
    softwareSettingDlg page;
    box(page, "selfStart_checkBox")->setChecked(c.selfStart);
    c.prepare(folder);
    QStringList boxes;
    for (const ModalBoxCloser::ClosedBox& shown : confirm(page)) boxes.append(shown.title + '|' + shown.text);
    EXPECT_EQ(boxes, c.boxes) << c.name;
  }
}
