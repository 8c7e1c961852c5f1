// opc-client as people run it, in a process of its own: one line per value,
// exit code 0, and on failure exit code 1 with one line naming the call and
// its HRESULT text.
#include "WholeRoad.h"

namespace WholeRoad {
namespace {

using ClientProgram = ClientTest;

TEST_F(ClientProgram, PrintsOneLinePerValueAndExitsWithZero) {
  const ProgramRun list = RunBeside(L"opc-client.exe", L"list");
  EXPECT_EQ(list.exitCode, 0u);
  EXPECT_NE(list.output.find("ZelvoOPCServer  {99B8F472-C037-11D2-80B8-0060975858BE}  Zelvo OPC Server (vorlix-host)\n"),
            std::string::npos)
      << list.output;

  const ProgramRun read = RunBeside(L"opc-client.exe", L"ZelvoOPCServer read P1.Analog.Fixed P2.Counter.Starts");
  EXPECT_EQ(read.exitCode, 0u) << read.output;
  const size_t second = read.output.find('\n') + 1;
  EXPECT_EQ(read.output.substr(0, 26), "P1.Analog.Fixed  77  192 g") << read.output;
  EXPECT_EQ(read.output.substr(second, 29), "P2.Counter.Starts  12  0 bad ") << read.output;

  const ProgramRun write = RunBeside(L"opc-client.exe", L"ZelvoOPCServer write P1.Switch.Pump=false");
  EXPECT_EQ(write.exitCode, 0u) << write.output;
  EXPECT_EQ(write.output, "P1.Switch.Pump  written\n");
}

TEST_F(ClientProgram, AFailureNamesTheCallAndItsErrorText) {
  const struct {
    const wchar_t* arguments;
    const char* line;
  } cases[] = {
      {L"ZelvoOPCServer read Nope",
       "opc-client: IOPCItemMgt::AddItems(Nope) failed: 0xC0040007 (OPC_E_UNKNOWNITEMID: The item definition does not "
       "exist within the servers address space)\n"},
      {L"ZelvoOPCServer write P1.Analog.Fixed=3",
       "opc-client: IOPCSyncIO::Write(P1.Analog.Fixed) failed: 0xC0040006 (OPC_E_BADRIGHTS: The item's AccessRights "
       "do not allow the operation)\n"},
  };
  for (const auto& c : cases) {
    const ProgramRun run = RunBeside(L"opc-client.exe", c.arguments);
    EXPECT_EQ(run.exitCode, 1u) << run.output;
    EXPECT_EQ(run.output, c.line);
  }
  // A code the server cannot be asked about gets the system's text (which
  // Wine's message table may lack).
  const ProgramRun unknown = RunBeside(L"opc-client.exe", L"No.Such.Server status");
  EXPECT_EQ(unknown.exitCode, 1u);
  EXPECT_EQ(unknown.output.rfind("opc-client: CLSIDFromProgID failed: 0x800401F3 (", 0), 0u) << unknown.output;
}

}  // namespace
}  // namespace WholeRoad
