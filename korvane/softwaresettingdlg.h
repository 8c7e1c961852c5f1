#pragma once

#include <QString>
#include <QWidget>

#include <memory>

namespace Ui {
class softwareSettingDlg;
}

// The settings page: the platform server's address and the data update
// interval of config.ini, and the logged-in user's auto-login and autostart
// switches of usr.ini. Confirming writes them back and sets or removes the
// program's autostart entry; the running program keeps what it read at start.
class softwareSettingDlg : public QWidget {
  Q_OBJECT

public:
  explicit softwareSettingDlg(QWidget* parent = nullptr);
  ~softwareSettingDlg() override;

private slots:
  void on_comfirmPushButton_clicked();

private:
  std::unique_ptr<Ui::softwareSettingDlg> ui;
  // config.ini as read when the page was built; only the first two are shown.
  QString m_serverAddress;
  QString m_intervalTime;
  QString m_writeNotifyIntervalTime;
  QString m_runningModel;
  qint32 m_autoLogin = 0;
  qint32 m_selfStart = 0;
};
