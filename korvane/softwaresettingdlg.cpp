#include "softwaresettingdlg.h"

#include <QMessageBox>

#include "autostart.h"
#include "configfile.h"
#include "klog.h"
#include "loginsession.h"
#include "rememberedusers.h"
#include "serverendpoints.h"
#include "settingsfiles.h"
#include "ui_softwaresettingdlg.h"

softwareSettingDlg::softwareSettingDlg(QWidget* parent) : QWidget(parent), ui(new Ui::softwareSettingDlg) {
  ui->setupUi(this);
  ui->AddresslineEdit->setText(ServerEndpoints::mainSavedAddress());

  readConfigFile(m_serverAddress, m_intervalTime, m_writeNotifyIntervalTime, m_runningModel);
  if (!m_serverAddress.isEmpty()) ui->AddresslineEdit->setText(m_serverAddress);
  if (!m_intervalTime.isEmpty()) ui->intervallineEdit->setText(m_intervalTime);

  const RememberedUsers users(SettingsFiles::userPath());
  m_autoLogin = users.user(g_session.user).autoLogin;
  m_selfStart = users.selfStart(g_session.user);
  ui->selfLogin_checkBox->setChecked(m_autoLogin != 0);
  ui->selfStart_checkBox->setChecked(m_selfStart != 0);
}

softwareSettingDlg::~softwareSettingDlg() = default;

void softwareSettingDlg::on_comfirmPushButton_clicked() {
  const bool configSaved = writeServerSettings(ui->AddresslineEdit->text(), ui->intervallineEdit->text());

  m_autoLogin = ui->selfLogin_checkBox->isChecked() ? 1 : 0;
  m_selfStart = ui->selfStart_checkBox->isChecked() ? 1 : 0;
  RememberedUsers users(SettingsFiles::userPath());
  users.setStartFlags(g_session.user, m_autoLogin, m_selfStart);

  if (m_selfStart != 0) {
    if (!Autostart::switchOn())
      QMessageBox::warning(nullptr, QStringLiteral("警告"), QStringLiteral("\n系统参数错误,不能随系统启动n"),
                           QMessageBox::Ok);
  } else if (!Autostart::switchOff()) {
    KLOG << "the autostart entry could not be removed";
  }

  // The success box only when both files hold what was confirmed.
  if (users.sync() && configSaved)
    QMessageBox::information(this, tr("save configuration"), tr("Configuration File saved successfully"),
                             QMessageBox::Ok);
  else
    QMessageBox::warning(this, tr("save configuration"), tr("Configuration File could not be saved"),
                         QMessageBox::Ok);
}
