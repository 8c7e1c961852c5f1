// One pushed frame of the platform on its road through the program: taken by
// the WebSocket client as its read channel delivers it, handed to the OPC
// bridge, parsed, and every value converted to its tag's type and stored in
// the toolkit's tag. Beside it, the least work a frame needs: one jsoncpp
// parse of the same text. Frames carry 4 or 100 values of one online device;
// the toolkit's server runs, with no OPC client connected.
//
// BM_BridgePushedFrame runs with the program's debug lines switched off in
// the message log, so nothing would show them; BM_BridgePushedFrameLogged
// with them on, handed to a message handler that drops them.
#include "OnlinePlatform.h"
#include "QtBenchmarkMain.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

#include <QCoreApplication>
#include <QLoggingCategory>

#include <benchmark/benchmark.h>
#include <json/reader.h>
#include <json/value.h>

#include "korvane.h"
#include "uwebsocket.h"

namespace {

// The data-type codes the variables take in turn: float, 32-bit unsigned and
// signed, 16-bit unsigned and signed, boolean.
constexpr int TypeCodes[] = {10, 5, 7, 0, 6, -1};
constexpr int TypeCount = sizeof(TypeCodes) / sizeof(TypeCodes[0]);
// Frames of one size differ in their values; the benchmarks take them in turn.
constexpr int FramesPerSize = 64;

QString serialFor(int values) { return QStringLiteral("ZB%1").arg(values, 6, 10, QLatin1Char('0')); }

DevConfig deviceWith(int values) {
  const QString sn = serialFor(values);
  DataGroup group{sn, values, QStringLiteral("Analog"), {}};
  for (int code = 1; code <= values; ++code) {
    DataInfo variable;
    variable.sn_code = sn;
    variable.data_name = QStringLiteral("V%1").arg(code);
    variable.data_type = TypeCodes[code % TypeCount];
    variable.data_writeable = 1;
    variable.data_code = code;
    group.variables.append(variable);
  }
  return {sn, 1, {group}};
}

// A value text of the variable's type, different in every round.
QString valueText(int code, int round) {
  const int number = (round * 7 + code) % 1000;
  switch (TypeCodes[code % TypeCount]) {
    case 10:
      return QStringLiteral("%1.25").arg(number);
    case -1:
      return QString::number(number % 2);
    default:
      return QString::number(number);
  }
}

// The frame as the platform pushes it.
QString frameText(int values, int round) {
  QString members;
  for (int code = 1; code <= values; ++code)
    members += QStringLiteral("%1\"%2\":\"%3\"").arg(code > 1 ? "," : "").arg(code).arg(valueText(code, round));
  return QStringLiteral(R"({"meta":{"success":"true","message":""},"data":{"%1":{%2}}})")
      .arg(serialFor(values), members);
}

struct Frames {
  std::vector<QString> texts;      // as the read channel delivers them
  std::vector<std::string> utf8;  // the same, as bytes on the wire
};

const Frames& framesOf(int values) {
  static std::map<int, Frames> made;
  Frames& frames = made[values];
  if (frames.texts.empty())
    for (int round = 0; round < FramesPerSize; ++round) {
      frames.texts.push_back(frameText(values, round));
      frames.utf8.push_back(frames.texts.back().toStdString());
    }
  return frames;
}

// The platform serving the device list that marks every device online, and
// one bridge with a device of 4 and one of 100 variables, made once for the
// whole run.
class BridgeUnderTest {
public:
  BridgeUnderTest() : platform_({serialFor(4), serialFor(100)}) {
    const QList<DevConfig> devices = {deviceWith(4), deviceWith(100)};
    bridge_ = std::make_unique<korvane>(devices);
    started_ = bridge_->init(devices);
    client_ = std::make_unique<uwebsocket>(devices);
    QObject::connect(client_.get(), &uwebsocket::getNewMessageSignal, bridge_.get(), &korvane::getNewMessageSlot);
  }

  // The client whose received texts reach the bridge; null when the toolkit's server did not start.
  uwebsocket* client() { return started_ ? client_.get() : nullptr; }

private:
  OnlinePlatform platform_;
  std::unique_ptr<korvane> bridge_;
  std::unique_ptr<uwebsocket> client_;
  bool started_ = false;
};

// Made by the first benchmark that needs it, ended by main while the
// application object still lives.
std::unique_ptr<BridgeUnderTest> bridgeUnderTest;

uwebsocket* sharedClient() {
  if (!bridgeUnderTest) bridgeUnderTest = std::make_unique<BridgeUnderTest>();
  return bridgeUnderTest->client();
}

void handleFrames(benchmark::State& state) {
  uwebsocket* client = sharedClient();
  if (client == nullptr) return state.SkipWithError("the toolkit's server did not start");
  const Frames& frames = framesOf(static_cast<int>(state.range(0)));
  size_t next = 0;
  for (auto _ : state) {
    client->onTextReceived(frames.texts[next]);
    next = (next + 1) % frames.texts.size();
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

void parseFrames(benchmark::State& state) {
  const Frames& frames = framesOf(static_cast<int>(state.range(0)));
  Json::CharReaderBuilder builder;
  const std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
  size_t next = 0;
  for (auto _ : state) {
    const std::string& text = frames.utf8[next];
    Json::Value frame;
    benchmark::DoNotOptimize(reader->parse(text.data(), text.data() + text.size(), &frame, nullptr));
    benchmark::DoNotOptimize(frame);
    next = (next + 1) % frames.utf8.size();
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

void setDebugLines(bool on) {
  QLoggingCategory::setFilterRules(on ? QStringLiteral("default.debug=true") : QStringLiteral("default.debug=false"));
}

void BM_BridgePushedFrame(benchmark::State& state) {
  setDebugLines(false);
  handleFrames(state);
}

void BM_BridgePushedFrame_Limit(benchmark::State& state) { parseFrames(state); }

void BM_BridgePushedFrameLogged(benchmark::State& state) {
  setDebugLines(true);
  handleFrames(state);
  setDebugLines(false);
}

void BM_BridgePushedFrameLogged_Limit(benchmark::State& state) { parseFrames(state); }

BENCHMARK(BM_BridgePushedFrame)->Arg(4)->Arg(100)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BridgePushedFrame_Limit)->Arg(4)->Arg(100)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BridgePushedFrameLogged)->Arg(4)->Arg(100)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BridgePushedFrameLogged_Limit)->Arg(4)->Arg(100)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  return RunQtBenchmarks(argc, argv, [] { bridgeUnderTest.reset(); });
}
