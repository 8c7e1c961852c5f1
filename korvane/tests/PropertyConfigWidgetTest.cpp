#include <QLabel>
#include <QPushButton>
#include <QTableWidget>

#include <gtest/gtest.h>

#include "aboutdlg.h"
#include "devstatedlg.h"
#include "propertyconfigwidget.h"
#include "softwaresettingdlg.h"
#include "support/bridgetest.h"
#include "support/settingsfolder.h"

namespace {

class PropertyConfigWidgetTest : public BridgeTest {
protected:
  // Which of the three pages would show, in menu order.
  std::vector<bool> shownPages() const {
    return {!widget->findChild<DevStateDlg*>()->isHidden(), !widget->findChild<softwareSettingDlg*>()->isHidden(),
            !widget->findChild<AboutDlg*>()->isHidden()};
  }

  void click(const char* button) { widget->findChild<QPushButton*>(button)->click(); }

  // Which of the three menu entries are marked, in menu order.
  std::vector<bool> markedEntries() const {
    std::vector<bool> marked;
    for (const char* entry : {"InformationsBtn", "softwareSettingBtn", "aboutBtn"})
      marked.push_back(widget->findChild<QPushButton*>(entry)->isChecked());
    return marked;
  }

  int deviceRows() const { return widget->findChild<QTableWidget*>("tableWidget")->rowCount(); }

  void SetUp() override {
    BridgeTest::SetUp();
    widget = std::make_unique<propertyConfigWidget>();
  }

  SettingsFolder settings;
  std::unique_ptr<propertyConfigWidget> widget;
};

}  // namespace

TEST_F(PropertyConfigWidgetTest, OpensOnTheDeviceStatesAndEachMenuButtonShowsItsPageAlone) {
  EXPECT_EQ(widget->windowTitle(), "Zelvo OPC Server");
  EXPECT_EQ(widget->minimumSize(), QSize(850, 500));
  EXPECT_EQ(widget->findChild<QLabel*>("label")->text(), "    Zelvo OPC");
  EXPECT_EQ(widget->findChild<QPushButton*>("InformationsBtn")->text(), "ZelvoOPC Information");
  EXPECT_EQ(widget->findChild<QPushButton*>("softwareSettingBtn")->text(), "SoftWare Settings");
  EXPECT_EQ(widget->findChild<QPushButton*>("aboutBtn")->text(), "ZelvoOPC About");
  EXPECT_EQ(shownPages(), (std::vector<bool>{true, false, false}));
  EXPECT_EQ(markedEntries(), (std::vector<bool>{true, false, false}));
  EXPECT_EQ(deviceRows(), 2);

  const struct {
    const char* button;
    std::vector<bool> shown;
  } steps[] = {
      {"softwareSettingBtn", {false, true, false}}, {"softwareSettingBtn", {false, true, false}},
      {"aboutBtn", {false, false, true}},           {"InformationsBtn", {true, false, false}},
      {"InformationsBtn", {true, false, false}},    {"aboutBtn", {false, false, true}},
  };
  for (const auto& step : steps) {
    click(step.button);
    EXPECT_EQ(shownPages(), step.shown) << step.button;
    EXPECT_EQ(markedEntries(), step.shown) << step.button;
  }
}

TEST_F(PropertyConfigWidgetTest, ARelayedDeviceListReachesTheDeviceStatesWhileAnotherPageShows) {
  click("softwareSettingBtn");
  emit widget->curAllDeviceStat(
      R"({"meta":{"success":"true","message":""},"data":{"rows":[{"sn_code":"Z9","dev_state":1}]}})");
  EXPECT_EQ(deviceRows(), 1);
  EXPECT_EQ(widget->findChild<QTableWidget*>("tableWidget")->item(0, 0)->text(), "Z9");
}
