// The server object across the process boundary: the host started by COM
// answers status, browsing, item properties and synchronous reads and
// writes, and a write ends in the host's write callback, seen by reading back.
// The NT security interface answers across it too.
#include "ClientCommands.h"
#include "ValueFormat.h"
#include "WholeRoad.h"

namespace WholeRoad {
namespace {

using ServerRoad = ClientTest;

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

TEST_F(ServerRoad, StatusNamesTheHostAndItsRunningState) {
  std::ostringstream out;
  std::ostringstream err;
  ClientCommands commands(out, err);
  ClientOptions options;
  options.command = ClientOptions::Command::Status;
  options.progId = kProgId;
  ASSERT_EQ(commands.Run(options), 0) << err.str();
  const std::vector<std::string> lines = Lines(out.str());
  ASSERT_GE(lines.size(), 2u) << out.str();
  EXPECT_EQ(lines[0], "state: running");
  EXPECT_EQ(lines[1], "vendor: Zelvo OPC Server (vorlix-host)");
}

TEST_F(ServerRoad, BrowseListsTheDataFilesItemsAndFilters) {
  std::ostringstream out;
  std::ostringstream err;
  ClientCommands commands(out, err);
  ASSERT_FALSE(commands.Session().Connect(kProgId).Failed());
  ASSERT_FALSE(commands.Browse(L"").Failed());
  EXPECT_EQ(Lines(out.str()), (std::vector<std::string>{"P1.Analog.Temp", "P1.Analog.Level", "P1.Analog.Flow",
                                                         "P1.Analog.Speed", "P1.Analog.Fixed",
                                                         "P1.Analog.\xE5\x87\xBA\xE6\xB0\xB4\xE6\xB8\xA9\xE5\xBA\xA6",
                                                         "P1.Switch.Pump",
                                                         "P2.Counter.Starts"}));
  out.str("");
  ASSERT_FALSE(commands.Browse(L"*.S*").Failed());
  EXPECT_EQ(Lines(out.str()), (std::vector<std::string>{"P1.Analog.Speed", "P1.Switch.Pump", "P2.Counter.Starts"}));
}

TEST_F(ServerRoad, ItemPropertiesCarryTheTagsTypeValueAndRights) {
  ComPtr<IOPCItemProperties> properties = session_.Query<IOPCItemProperties>(IID_IOPCItemProperties);
  ASSERT_TRUE(properties);
  DWORD ids[] = {1, 2, 3, 5};
  VARIANT* values = nullptr;
  HRESULT* errors = nullptr;
  std::wstring item = kFixed;
  ASSERT_EQ(properties->GetItemProperties(item.data(), 4, ids, &values, &errors), S_OK);
  EXPECT_EQ(V_VT(&values[0]), VT_I2);
  EXPECT_EQ(V_I2(&values[0]), VT_I4);  // the canonical type
  ASSERT_EQ(V_VT(&values[1]), VT_I4);
  EXPECT_EQ(V_I4(&values[1]), 77);
  EXPECT_EQ(V_I2(&values[2]), OPC_QUALITY_GOOD);
  EXPECT_EQ(V_I4(&values[3]), OPC_READABLE);  // a variable the file says is not writable
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(errors[i], S_OK);
    VariantClear(&values[i]);
  }
  CoTaskMemFree(values);
  CoTaskMemFree(errors);
}

TEST_F(ServerRoad, ReadsGiveTheFilesValuesWithTheBoxesQuality) {
  const struct {
    const wchar_t* item;
    VARTYPE type;
    double value;
    WORD quality;
  } cases[] = {
      {kFixed, VT_I4, 77, OPC_QUALITY_GOOD},
      {kOutletTemp, VT_R4, 18.5, OPC_QUALITY_GOOD},
      {kStarts, VT_UI2, 12, OPC_QUALITY_BAD},
  };
  for (OPCDATASOURCE source : {OPC_DS_CACHE, OPC_DS_DEVICE}) {
    for (const auto& c : cases) {
      SCOPED_TRACE(::testing::Message() << "source " << source << " item " << ValueFormat::Utf8(c.item));
      OPCITEMSTATE state = ReadItem(c.item, source);
      EXPECT_EQ(V_VT(&state.vDataValue), c.type);
      VARIANT real;
      VariantInit(&real);
      ASSERT_EQ(VariantChangeType(&real, &state.vDataValue, 0, VT_R8), S_OK);
      EXPECT_EQ(V_R8(&real), c.value);
      EXPECT_EQ(state.wQuality, c.quality);
      EXPECT_NE(state.ftTimeStamp.dwHighDateTime, 0u);
      VariantClear(&state.vDataValue);
    }
  }
}

TEST_F(ServerRoad, AWriteReachesTheHostAndReadsBackInTheItemsType) {
  const VARIANT written = Integer(2345);
  ASSERT_EQ(WriteItem(kSpeed, written), S_OK);
  OPCITEMSTATE state = ReadItem(kSpeed);
  ASSERT_EQ(V_VT(&state.vDataValue), VT_I2);
  EXPECT_EQ(V_I2(&state.vDataValue), 2345);
  EXPECT_EQ(state.wQuality, OPC_QUALITY_GOOD);
  // The host took it through UpdateTag, so a device read (the host's own
  // reading of the tag) sees it too.
  OPCITEMSTATE device = ReadItem(kSpeed, OPC_DS_DEVICE);
  EXPECT_EQ(V_I2(&device.vDataValue), 2345);
}

TEST_F(ServerRoad, WritesTheServerRefusesComeBackPerItem) {
  EXPECT_EQ(WriteItem(kFixed, Integer(1)), OPC_E_BADRIGHTS);
  // A value the item's type cannot hold fails with the conversion's own error.
  EXPECT_EQ(WriteItem(kSpeed, Integer(70000)), DISP_E_OVERFLOW);
  OPCITEMSTATE state = ReadItem(kFixed);
  EXPECT_EQ(V_I4(&state.vDataValue), 77);
}

TEST_F(ServerRoad, TheNtSecurityInterfaceAnswersAndItemsKeepTheirRightsWithNtChecksOff) {
  ComPtr<IOPCSecurityNT> security = session_.Query<IOPCSecurityNT>(IID_IOPCSecurityNT);
  ASSERT_TRUE(security);
  BOOL available = TRUE;
  ASSERT_EQ(security->IsAvailableNT(&available), S_OK);
  EXPECT_FALSE(available);
  DWORD level = 99;
  ASSERT_EQ(security->QueryMinImpersonationLevel(&level), S_OK);
  EXPECT_EQ(level, 0u);

  ClientGroup group(session_.Server());
  ASSERT_FALSE(group.Add({}).Failed());
  ASSERT_FALSE(group.AddItems({kSpeed, kFixed}).Failed());
  // The server impersonates the calling client to recheck the items' rights:
  // with the checks off they stay what the tags allow. Wine's COM sets no
  // call context in a call from another process, so there the impersonation
  // fails with RPC_E_CALL_COMPLETE, which the server passes on, and the items
  // keep the rights they had (the recheck itself is tested in-process, in the
  // Linux build).
  EXPECT_EQ(security->ChangeUser(), UnderWine() ? RPC_E_CALL_COMPLETE : S_OK);
  ComPtr<IOPCSyncIO> io = group.Query<IOPCSyncIO>(IID_IOPCSyncIO);
  ASSERT_TRUE(io);
  std::vector<OPCHANDLE> handles = group.ServerHandles();
  VARIANT values[2] = {Integer(1234), Integer(1)};
  HRESULT* errors = nullptr;
  EXPECT_EQ(io->Write(2, handles.data(), values, &errors), S_FALSE);
  ASSERT_NE(errors, nullptr);
  EXPECT_EQ(errors[0], S_OK);
  EXPECT_EQ(errors[1], OPC_E_BADRIGHTS);
  CoTaskMemFree(errors);
  OPCITEMSTATE state = ReadItem(kSpeed);
  EXPECT_EQ(V_I2(&state.vDataValue), 1234);
}

}  // namespace
}  // namespace WholeRoad
