#include <string>
#include <vector>

#include <QPointer>

#include <gtest/gtest.h>

#include "closeprogram.h"
#include "korvane.h"
#include "platform/IOPCBrowseServerAddressSpace.h"
#include "platform/IOPCItemMgt.h"
#include "platform/opcguid.h"
#include "platform/taskmemory.h"
#include "support/OpcTestClient.h"
#include "support/bridgetest.h"
#include "support/recordingwindow.h"
#include "support/waituntil.h"
#include "uwebsocket.h"

namespace {

const CLSID serverClass = {0x99B8F472, 0xC037, 0x11D2, {0x80, 0xB8, 0x00, 0x60, 0x97, 0x58, 0x58, 0xBE}};

// One online box whose variable and group carry Chinese names, as the
// platform serves them (UTF-8 in its replies).
const char* const chineseTables = R"({
  "users": [{"user_tel": "13800000000", "password": "demo123", "user_id": 1001, "token": "tok-abc123"}],
  "devices": [{"sn_code": "C3", "dev_state": 1}],
  "configs": {
    "C3": [
      {"type_name": "模拟量", "data": [
        {"sn_code": "C3", "data_name": "温度", "data_type": 10, "data_writeable": 1, "data_code": 1, "dev_version": 0}]}]
  },
  "values": {"C3": {"1": "21.5"}}
})";

// The program after a login on the box above: the bridge has made its tags.
class ChineseNameRoadTest : public BridgeTest {
protected:
  void SetUp() override {
    BridgeTest::SetUp();
    standin.data().loadJson(chineseTables);
    window->InitializeConfigData();
    ASSERT_NE(g_opcServer, nullptr);
    ASSERT_TRUE(waitUntil([&] { return logCount("read websocket connect successful") == 1; }));
  }

  void TearDown() override {
    client.reset();
    closeProgram(window.data());
    BridgeTest::TearDown();
  }

  QPointer<RecordingWindow> window = new RecordingWindow;
  std::unique_ptr<OpcTestClient> client = std::make_unique<OpcTestClient>(serverClass);
};

}  // namespace

TEST_F(ChineseNameRoadTest, AClientFindsAndBrowsesTheTagUnderItsChineseName) {
  ASSERT_EQ(client->Connect(), S_OK);
  IOPCServer* opc = client->OpcServer();
  ASSERT_NE(opc, nullptr);

  OPCHANDLE group = 0;
  DWORD rate = 0;
  IOPCItemMgt* items = nullptr;
  ASSERT_TRUE(SUCCEEDED(opc->AddGroup(u"组", TRUE, 1000, 0, nullptr, nullptr, 0, &group, &rate, IID_IOPCItemMgt,
                                      reinterpret_cast<IUnknown**>(&items))));
  std::u16string accessPath;
  std::u16string itemId = u"C3.模拟量.温度";
  OPCITEMDEF definition{accessPath.data(), itemId.data(), TRUE, 1, 0, nullptr, VT_EMPTY, 0};
  OPCITEMRESULT* results = nullptr;
  HRESULT* errors = nullptr;
  EXPECT_EQ(items->AddItems(1, &definition, &results, &errors), S_OK);
  ASSERT_NE(errors, nullptr);
  EXPECT_EQ(errors[0], S_OK);
  EXPECT_EQ(results[0].vtCanonicalDataType, VT_R4);
  CoTaskMemFree(results);
  CoTaskMemFree(errors);
  items->Release();
  EXPECT_EQ(opc->RemoveGroup(group, TRUE), S_OK);

  IOPCBrowseServerAddressSpace* browse = nullptr;
  ASSERT_EQ(client->Query(IID_IOPCBrowseServerAddressSpace, &browse), S_OK);
  IEnumString* strings = nullptr;
  ASSERT_EQ(browse->BrowseOPCItemIDs(OPC_FLAT, u"", VT_EMPTY, 0, &strings), S_OK);
  std::vector<std::u16string> names;
  LPOLESTR name = nullptr;
  ULONG fetched = 0;
  while (strings->Next(1, &name, &fetched) == S_OK) {
    names.push_back(name);
    CoTaskMemFree(name);
  }
  strings->Release();
  EXPECT_EQ(names, std::vector<std::u16string>{u"C3.模拟量.温度"});
}
