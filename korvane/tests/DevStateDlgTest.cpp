#include <string>
#include <vector>

#include <QHeaderView>
#include <QTableWidget>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "devstatedlg.h"
#include "support/bridgetest.h"
#include "support/settingsfolder.h"

using ::testing::ElementsAre;

namespace {

struct Device {
  std::string sn;
  std::string state;  // as it stands in the JSON text
  std::string alias;
};

std::string deviceList(const std::vector<Device>& devices) {
  std::string rows;
  for (const Device& device : devices) {
    if (!rows.empty()) rows += ',';
    rows += R"({"sn_code":")" + device.sn + R"(","dev_state":)" + device.state + R"(,"dev_alias":")" + device.alias +
            R"("})";
  }
  return R"({"meta":{"success":"true","message":"ok"},"data":{"total":)" + std::to_string(devices.size()) +
         R"(,"rows":[)" + rows + "]}}";
}

class DevStateDlgTest : public BridgeTest {
protected:
  static QTableWidget* table(DevStateDlg& page) { return page.findChild<QTableWidget*>("tableWidget"); }

  // Each row's cells joined by '|'.
  static std::vector<std::string> rows(DevStateDlg& page) {
    std::vector<std::string> texts;
    QTableWidget* cells = table(page);
    for (int row = 0; row < cells->rowCount(); ++row) {
      QStringList line;
      for (int column = 0; column < cells->columnCount(); ++column) line.append(cells->item(row, column)->text());
      texts.push_back(line.join('|').toStdString());
    }
    return texts;
  }

  static void refresh(DevStateDlg& page, const std::vector<Device>& devices) {
    page.on_refreshDevStatTable(QString::fromStdString(deviceList(devices)));
  }

  SettingsFolder settings;
};

}  // namespace

TEST_F(DevStateDlgTest, FillsItselfFromThePlatformInSerialOrderSelectingNothingWithTheLastColumnFillingTheTable) {
  standin.replies().set(StandinEndpoint::DeviceList,
                        ScriptedReply::rawText(deviceList({{"C3", "2", "Pump house"},
                                                           {"A1", "1", "Boiler"},
                                                           {"B2", "\"1\"", "Tank"},
                                                           {"D4", "0", ""}})));
  DevStateDlg page;
  EXPECT_EQ(requestsTo("GET /ZirOrurodaz/dev?usePage=false HTTP/1.1"), 1);
  EXPECT_EQ(page.windowTitle(), "Device states");
  QTableWidget* cells = table(page);
  EXPECT_EQ(cells->columnCount(), 3);
  EXPECT_EQ(cells->horizontalHeaderItem(0)->text(), "Zelvo SnCode");
  EXPECT_EQ(cells->horizontalHeaderItem(1)->text(), "Device Name");
  EXPECT_EQ(cells->horizontalHeaderItem(2)->text(), "Device State");
  EXPECT_EQ(cells->columnWidth(1), 200);
  EXPECT_FALSE(cells->verticalHeader()->isVisible());
  EXPECT_EQ(cells->editTriggers(), QAbstractItemView::NoEditTriggers);
  EXPECT_THAT(rows(page), ElementsAre("A1|Boiler|onLine", "B2|Tank|onLine", "C3|Pump house|offLine", "D4||offLine"));
  EXPECT_TRUE(cells->selectedItems().isEmpty());

  // Shown, focused and refreshed, the table still has nothing selected, and
  // its columns reach its right edge.
  page.resize(900, 300);
  page.show();
  cells->setFocus();
  refresh(page, {{"A1", "1", "Boiler"}, {"B2", "1", "Tank"}});
  EXPECT_TRUE(cells->selectedItems().isEmpty());
  const QHeaderView* header = cells->horizontalHeader();
  EXPECT_EQ(header->sectionViewportPosition(2) + header->sectionSize(2), cells->viewport()->width());
}

TEST_F(DevStateDlgTest, ARefreshKeepsTheUsersDeviceSelectedWhileItIsListedAndEmptiesOnAFailedReply) {
  standin.replies().set(StandinEndpoint::DeviceList, ScriptedReply::closeConnection());
  DevStateDlg page;
  EXPECT_TRUE(rows(page).empty());

  const std::vector<Device> three = {{"A1", "1", "a"}, {"B2", "0", "b"}, {"C3", "1", "c"}};
  refresh(page, three);
  table(page)->selectRow(1);
  refresh(page, three);
  EXPECT_EQ(table(page)->currentRow(), 1);

  EXPECT_EQ(table(page)->selectionModel()->selectedRows().size(), 1);

  // The device keeps its selection when it moves to another row.
  refresh(page, {{"A0", "1", "z"}, {"A1", "1", "a"}, {"B2", "0", "b"}, {"C3", "1", "c"}});
  EXPECT_EQ(table(page)->currentRow(), 2);

  table(page)->selectRow(3);
  refresh(page, {{"A1", "0", "a"}, {"B2", "0", "b"}});
  EXPECT_THAT(rows(page), ElementsAre("A1|a|offLine", "B2|b|offLine"));
  EXPECT_TRUE(table(page)->selectedItems().isEmpty());

  for (const char* reply : {"", "not json", R"({"meta":{"success":"false","message":"x"},"data":null})"}) {
    refresh(page, three);
    page.on_refreshDevStatTable(reply);
    EXPECT_TRUE(rows(page).empty()) << reply;
  }
}
