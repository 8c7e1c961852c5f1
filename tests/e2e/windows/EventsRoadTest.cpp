// Alarms and events across the process boundary: a client's event sink gets
// the host's simple event for every client write and the condition events of
// a tag's level alarms, with their texts intact.
#include "EventPrinter.h"
#include "WholeRoad.h"

namespace WholeRoad {
namespace {

using EventsRoad = ClientTest;

TEST_F(EventsRoad, WritesRaiseASimpleEventAndLevelAlarmsConditionEvents) {
  // Temp's alarms sit at 0 (Lo) and 100 (Hi); it starts at the normal level.
  ASSERT_EQ(WriteItem(kTemp, Real(50)), S_OK);
  ComPtr<IOPCEventServer> events = session_.Query<IOPCEventServer>(IID_IOPCEventServer);
  ASSERT_TRUE(events);
  ComPtr<IUnknown> subscription;
  DWORD bufferTime = 0;
  DWORD maxSize = 0;
  ASSERT_EQ(events->CreateEventSubscription(TRUE, 0, 0, 9, IID_IOPCEventSubscriptionMgt, subscription.GetAddressOf(),
                                            &bufferTime, &maxSize),
            S_OK);
  ComPtr<IConnectionPointContainer> container;
  ASSERT_EQ(subscription->QueryInterface(IID_IConnectionPointContainer,
                                         reinterpret_cast<void**>(container.GetAddressOf())),
            S_OK);
  ComPtr<IConnectionPoint> point;
  ASSERT_EQ(container->FindConnectionPoint(IID_IOPCEventSink, point.GetAddressOf()), S_OK);
  std::ostringstream out;
  ArrivalLog log(out, 4);
  auto* sink = new EventPrinter(log);
  DWORD cookie = 0;
  ASSERT_EQ(point->Advise(sink, &cookie), S_OK);
  sink->Release();

  ASSERT_EQ(WriteItem(kTemp, Real(150)), S_OK);
  ASSERT_EQ(WriteItem(kTemp, Real(60)), S_OK);
  ASSERT_TRUE(log.Wait(kPatienceMs)) << log.Count() << " events: " << out.str();
  std::vector<std::string> lines = log.Lines();
  // Each line: time, source, message, severity[, condition/sub-condition].
  for (std::string& line : lines) line = line.substr(line.find("Z  ") + 3);
  // UpdateTag raises the alarm's event before the host sends its own.
  EXPECT_EQ(lines[0], "P1.Analog.Temp  High Limit Exceeded  severity 500  Level/High Limit");
  EXPECT_EQ(lines[1], "User Message  P1.Analog.Temp = 150 (written by Unknown)  severity 100");
  EXPECT_EQ(lines[2].substr(0, 16), "P1.Analog.Temp  ") << lines[2];
  EXPECT_EQ(lines[2].substr(lines[2].size() - 12), "Level/Normal") << lines[2];
  EXPECT_EQ(lines[3], "User Message  P1.Analog.Temp = 60 (written by Unknown)  severity 100");
  EXPECT_EQ(point->Unadvise(cookie), S_OK);
}

}  // namespace
}  // namespace WholeRoad
