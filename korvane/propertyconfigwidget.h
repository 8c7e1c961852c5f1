#pragma once

#include <QString>
#include <QWidget>

#include <memory>

class AboutDlg;
class QPushButton;
class DevStateDlg;
class softwareSettingDlg;

namespace Ui {
class propertyConfigWidget;
}

// The main window's content: a black menu column with three buttons and, on
// the right, one of three pages: device states (shown first), settings and
// about; the entry of the page shown is marked. It passes the raw device-list reply of every device-state refresh on
// to the device-state page, whichever page shows.
class propertyConfigWidget : public QWidget {
  Q_OBJECT

public:
  explicit propertyConfigWidget(QWidget* parent = nullptr);
  ~propertyConfigWidget() override;

signals:
  void curAllDeviceStat(QString result);

private slots:
  void on_InformationsBtn_clicked();
  void on_softwareSettingBtn_clicked();
  void on_aboutBtn_clicked();

private:
  // Shows the page and marks its menu entry.
  void showPage(QWidget* page, QPushButton* entry);

  std::unique_ptr<Ui::propertyConfigWidget> ui;
  DevStateDlg* m_devStatePage;
  softwareSettingDlg* m_settingPage;
  AboutDlg* m_aboutPage;
};
