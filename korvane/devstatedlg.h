#pragma once

#include <QString>
#include <QWidget>

#include <memory>

#include "ujsonparser.h"

namespace Ui {
class DevStateDlg;
}

// The device-state page: one row per box of the device list, in serial order,
// with its name and whether it is online. It fills itself from the platform
// when it is built and again from every device-list reply it is handed.
class DevStateDlg : public QWidget {
  Q_OBJECT

public:
  static constexpr int ColumnWidth = 200;

  explicit DevStateDlg(QWidget* parent = nullptr);
  ~DevStateDlg() override;

  // Rebuilds the table from a device-list reply, its raw JSON text; a reply
  // that does not parse leaves it empty. Nothing is selected but the device
  // the user selected, which stays selected while it is listed. Connected by
  // pointer: declared as a slot, its name would make the form's connection by
  // name look for a child called "refreshDevStatTable" and warn.
  void on_refreshDevStatTable(QString result);

private:
  std::unique_ptr<Ui::DevStateDlg> ui;
  ujsonparser m_parser;
};
