// The road of one value across the process boundary: the host's UpdateTag
// (here taking a client's write) reaches the subscribed client's
// IOPCDataCallback at the group's rate, through its deadband, and reaches a
// 1.0 client's advise sink as a stream in each clipboard format.
#include "DataChangePrinter.h"
#include "StreamAdviseSink.h"
#include "ValueFormat.h"
#include "WholeRoad.h"

namespace WholeRoad {
namespace {

using SubscriptionRoad = ClientTest;

// A line of the arrival log starts with the item and its value.
bool HasLine(const ArrivalLog& log, const std::string& start) {
  for (const std::string& line : log.Lines()) {
    if (line.rfind(start, 0) == 0) return true;
  }
  return false;
}

// Waits until the log holds a line starting with `start`.
bool WaitForLine(const ArrivalLog& log, const std::string& start) {
  const ULONGLONG until = GetTickCount64() + kPatienceMs;
  while (!HasLine(log, start)) {
    if (GetTickCount64() > until) return false;
    Sleep(20);
  }
  return true;
}

// A group of the session whose changes reach a DataChangePrinter.
class Subscription {
 public:
  Subscription(IOPCServer* server, const std::vector<std::wstring>& items, ClientGroup::Settings settings)
      : group_(server), log_(out_, 0) {
    EXPECT_FALSE(group_.Add(settings).Failed());
    EXPECT_FALSE(group_.AddItems(items).Failed());
    ComPtr<IConnectionPointContainer> container =
        group_.Query<IConnectionPointContainer>(IID_IConnectionPointContainer);
    EXPECT_TRUE(container);
    if (!container) return;
    EXPECT_EQ(container->FindConnectionPoint(IID_IOPCDataCallback, point_.GetAddressOf()), S_OK);
    auto* sink = new DataChangePrinter(group_, log_);
    EXPECT_EQ(point_->Advise(sink, &cookie_), S_OK);
    sink->Release();
  }
  ~Subscription() {
    if (point_) point_->Unadvise(cookie_);
  }
  const ArrivalLog& Log() const { return log_; }
  ClientGroup& Group() { return group_; }

 private:
  std::ostringstream out_;
  ClientGroup group_;
  ArrivalLog log_;
  ComPtr<IConnectionPoint> point_;
  DWORD cookie_ = 0;
};

TEST_F(SubscriptionRoad, AWrittenValueReachesTheDataCallbackOfEverySubscribedClient) {
  ASSERT_EQ(WriteItem(kFlow, Integer(100)), S_OK);
  OpcSession second;
  ASSERT_FALSE(second.Connect(kProgId).Failed());
  Subscription mine(session_.Server(), {kFlow}, {true, 100, 0});
  Subscription theirs(second.Server(), {kFlow}, {true, 100, 0});
  // The rate asked for is a multiple of the host's 50 ms pulse: granted as asked.
  EXPECT_EQ(mine.Group().RevisedRate(), 100u);
  // Each gets the item's value as it is when the group starts.
  ASSERT_TRUE(WaitForLine(mine.Log(), "P1.Analog.Flow  100  192 good")) << mine.Log().Lines().size();
  ASSERT_TRUE(WaitForLine(theirs.Log(), "P1.Analog.Flow  100  192 good"));

  ASSERT_EQ(WriteItem(kFlow, Integer(321)), S_OK);
  EXPECT_TRUE(WaitForLine(mine.Log(), "P1.Analog.Flow  321  192 good"));
  EXPECT_TRUE(WaitForLine(theirs.Log(), "P1.Analog.Flow  321  192 good"));
}

TEST_F(SubscriptionRoad, AChangeInsideTheDeadbandIsNotSent) {
  ASSERT_EQ(WriteItem(kLevel, Integer(300)), S_OK);
  ASSERT_EQ(WriteItem(kTemp, Real(20)), S_OK);
  Subscription subscription(session_.Server(), {kLevel, kTemp}, {true, 100, 10});
  ASSERT_TRUE(WaitForLine(subscription.Log(), "P1.Analog.Level  300  192 good"));
  ASSERT_TRUE(WaitForLine(subscription.Log(), "P1.Analog.Temp  20  192 good"));
  // The first update of a new item always counts: it sets the value the
  // deadband is measured from.
  ASSERT_EQ(WriteItem(kLevel, Integer(400)), S_OK);
  ASSERT_TRUE(WaitForLine(subscription.Log(), "P1.Analog.Level  400  192 good"));

  // 5 % from 400 stays inside the deadband; Temp's change marks a scan that
  // would have carried it.
  ASSERT_EQ(WriteItem(kLevel, Integer(420)), S_OK);
  ASSERT_EQ(WriteItem(kTemp, Real(40)), S_OK);
  ASSERT_TRUE(WaitForLine(subscription.Log(), "P1.Analog.Temp  40  192 good"));
  // 25 % from the 400 last sent passes it.
  ASSERT_EQ(WriteItem(kLevel, Integer(500)), S_OK);
  ASSERT_TRUE(WaitForLine(subscription.Log(), "P1.Analog.Level  500  192 good"));
  EXPECT_FALSE(HasLine(subscription.Log(), "P1.Analog.Level  420"));
}

TEST_F(SubscriptionRoad, TheDataObjectSendsStreamsInEachClipboardFormat) {
  for (const bool withTime : {false, true}) {
    SCOPED_TRACE(withTime ? "OPCSTMFORMATDATATIME" : "OPCSTMFORMATDATA");
    const LONG value = withTime ? 222 : 111;
    ASSERT_EQ(WriteItem(kLevel, Integer(7)), S_OK);
    ClientGroup group(session_.Server());
    ASSERT_FALSE(group.Add({true, 100, 0}).Failed());
    ASSERT_FALSE(group.AddItems({kLevel}).Failed());
    ComPtr<IDataObject> data = group.Query<IDataObject>(IID_IDataObject);
    ASSERT_TRUE(data);
    std::ostringstream out;
    ArrivalLog log(out, 0);
    auto* sink = new StreamAdviseSink(group, log);
    FORMATETC format{withTime ? StreamAdviseSink::DataTimeFormat() : StreamAdviseSink::DataFormat(), nullptr,
                     DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    DWORD connection = 0;
    ASSERT_EQ(data->DAdvise(&format, 0, sink, &connection), S_OK);
    sink->Release();
    EXPECT_TRUE(WaitForLine(log, "P1.Analog.Level  7  192 good"));
    ASSERT_EQ(WriteItem(kLevel, Integer(value)), S_OK);
    const std::string expected = "P1.Analog.Level  " + std::to_string(value) + "  192 good";
    EXPECT_TRUE(WaitForLine(log, expected)) << (log.Lines().empty() ? log.Failure() : log.Lines().back());
    // Only the timed format carries the item's time stamp.
    const std::vector<std::string> lines = log.Lines();
    EXPECT_EQ(lines.back().find("Z") != std::string::npos, withTime) << lines.back();
    EXPECT_EQ(log.Failure(), "");
    EXPECT_EQ(data->DUnadvise(connection), S_OK);
  }
}

TEST_F(SubscriptionRoad, AsynchronousReadsAndWritesCompleteThroughTheCallback) {
  Subscription subscription(session_.Server(), {kSpeed, kFixed}, {true, 100, 0});
  ComPtr<IOPCAsyncIO2> io = subscription.Group().Query<IOPCAsyncIO2>(IID_IOPCAsyncIO2);
  ASSERT_TRUE(io);
  std::vector<OPCHANDLE> handles = subscription.Group().ServerHandles();
  VARIANT values[2] = {Integer(1234), Integer(5)};
  DWORD cancelId = 0;
  HRESULT* errors = nullptr;
  ASSERT_EQ(io->Write(2, handles.data(), values, 41, &cancelId, &errors), S_OK);
  EXPECT_EQ(errors[0], S_OK);
  EXPECT_EQ(errors[1], S_OK);  // refused later, in the completion
  CoTaskMemFree(errors);
  EXPECT_TRUE(WaitForLine(subscription.Log(), "P1.Analog.Speed  written  0x00000000"));
  EXPECT_TRUE(WaitForLine(subscription.Log(), "P1.Analog.Fixed  written  0xC0040006"));

  ASSERT_EQ(io->Read(1, handles.data(), 42, &cancelId, &errors), S_OK);
  CoTaskMemFree(errors);
  EXPECT_TRUE(WaitForLine(subscription.Log(), "P1.Analog.Speed  1234  192 good"));
}

TEST_F(SubscriptionRoad, FirstVersionAsynchronousReadsAndWritesCompleteAsStreams) {
  ASSERT_EQ(WriteItem(kSpeed, Integer(808)), S_OK);
  // An inactive group: nothing but what the reads send reaches the sink.
  ClientGroup group(session_.Server());
  ASSERT_FALSE(group.Add({false, 100, 0}).Failed());
  ASSERT_FALSE(group.AddItems({kSpeed, kFixed}).Failed());
  ComPtr<IDataObject> data = group.Query<IDataObject>(IID_IDataObject);
  ComPtr<IOPCAsyncIO> io = group.Query<IOPCAsyncIO>(IID_IOPCAsyncIO);
  ASSERT_TRUE(data && io);
  std::ostringstream out;
  ArrivalLog log(out, 0);
  auto* sink = new StreamAdviseSink(group, log);
  FORMATETC format{StreamAdviseSink::DataTimeFormat(), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  DWORD connection = 0;
  ASSERT_EQ(data->DAdvise(&format, 0, sink, &connection), S_OK);
  sink->Release();

  std::vector<OPCHANDLE> handles = group.ServerHandles();
  DWORD transaction = 0;
  HRESULT* errors = nullptr;
  ASSERT_EQ(io->Read(connection, OPC_DS_DEVICE, 2, handles.data(), &transaction, &errors), S_OK);
  EXPECT_NE(transaction, 0u);
  EXPECT_EQ(errors[0], S_OK);
  EXPECT_EQ(errors[1], S_OK);
  CoTaskMemFree(errors);
  EXPECT_TRUE(WaitForLine(log, "P1.Analog.Speed  808  192 good"));
  EXPECT_TRUE(WaitForLine(log, "P1.Analog.Fixed  77  192 good"));

  // A write completes through a connection of the write-complete format.
  FORMATETC writeFormat{StreamAdviseSink::WriteCompleteFormat(), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  auto* writeSink = new StreamAdviseSink(group, log);
  DWORD writeConnection = 0;
  ASSERT_EQ(data->DAdvise(&writeFormat, 0, writeSink, &writeConnection), S_OK);
  writeSink->Release();
  VARIANT values[2] = {Integer(909), Integer(1)};
  ASSERT_EQ(io->Write(writeConnection, 2, handles.data(), values, &transaction, &errors), S_OK);
  CoTaskMemFree(errors);
  EXPECT_TRUE(WaitForLine(log, "P1.Analog.Speed  written  0x00000000"));
  EXPECT_TRUE(WaitForLine(log, "P1.Analog.Fixed  written  0xC0040006"));
  OPCITEMSTATE state = ReadItem(kSpeed);
  EXPECT_EQ(V_I2(&state.vDataValue), 909);
  EXPECT_EQ(log.Failure(), "");
  EXPECT_EQ(data->DUnadvise(writeConnection), S_OK);
  EXPECT_EQ(data->DUnadvise(connection), S_OK);
}

}  // namespace
}  // namespace WholeRoad
