#pragma once

#include <QString>
#include <QWidget>

// The main window's content. It passes the raw device-list reply of every
// device-state refresh on to the device-state page it hosts.
class propertyConfigWidget : public QWidget {
  Q_OBJECT

public:
  explicit propertyConfigWidget(QWidget* parent = nullptr);

signals:
  void curAllDeviceStat(QString result);
};
