#include "devstatedlg.h"

#include <QAbstractItemView>
#include <QHeaderView>
#include <QIcon>
#include <QTableWidgetItem>

#include "loginsession.h"
#include "ucommucation.h"
#include "ui_devstatedlg.h"

DevStateDlg::DevStateDlg(QWidget* parent) : QWidget(parent), ui(new Ui::DevStateDlg) {
  ui->setupUi(this);
  setWindowIcon(QIcon(QStringLiteral(":/images/opc.png")));
  setWindowTitle(tr("Device states"));

  QTableWidget* table = ui->tableWidget;
  table->verticalHeader()->setVisible(false);
  table->setSelectionBehavior(QAbstractItemView::SelectRows);
  table->setSelectionMode(QAbstractItemView::SingleSelection);
  table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table->setStyleSheet(QStringLiteral("QTableWidget::item:selected { background-color: rgb(82, 190, 138) }"));
  for (int column = 0; column < 3; ++column) table->setColumnWidth(column, ColumnWidth);
  // The last column takes what the window has left, so no empty strip shows.
  table->horizontalHeader()->setStretchLastSection(true);

  on_refreshDevStatTable(ucommucation::deviceListRequest(g_session));
}

DevStateDlg::~DevStateDlg() = default;

void DevStateDlg::on_refreshDevStatTable(QString result) {
  QTableWidget* table = ui->tableWidget;
  // Only a device the user picked stays selected; the page picks none itself.
  const QList<QTableWidgetItem*> picked = table->selectedItems();
  const QString pickedSerial = picked.isEmpty() ? QString() : table->item(picked.first()->row(), 0)->text();
  for (int row = table->rowCount() - 1; row >= 0; --row) table->removeRow(row);

  const QMap<QString, DevInfo> devices = m_parser.parseDeviceList(result);
  for (const DevInfo& device : devices) {
    const int row = table->rowCount();
    table->insertRow(row);
    table->setItem(row, 0, new QTableWidgetItem(device.sn_code));
    table->setItem(row, 1, new QTableWidgetItem(device.dev_alias));
    table->setItem(row, 2, new QTableWidgetItem(device.dev_state == QLatin1String("1") ? tr("onLine") : tr("offLine")));
    if (!pickedSerial.isEmpty() && device.sn_code == pickedSerial) table->selectRow(row);
  }
}
