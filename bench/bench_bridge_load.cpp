// The program's objects under a crowded platform: 3000 devices with 5
// variables each, every value changing once a second. The platform stand-in
// runs as a program of its own with a generated data file, simulating the
// values and pushing each changed device on the read channel (3000 device
// messages a second); the WebSocket client and the OPC bridge take them in
// this process, as the program does. Each load figure is the number of
// device messages handled per second and the CPU this process used, in cores;
// beside it, the same feed taken by the WebSocket client alone, and one
// message handled by the bridge beside one parse of its JSON.
#include "QtBenchmarkMain.h"

#include <memory>
#include <string>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <json/reader.h>
#include <json/value.h>

#include "GeneratedPlatform.h"
#include "LoadWindow.h"
#include "configfile.h"
#include "korvane.h"
#include "loginsession.h"
#include "platformurls.h"
#include "support/standinprocess.h"
#include "uwebsocket.h"

namespace {

constexpr int Devices = 3000;
constexpr int WarmUpMs = 3000;
constexpr int MeasureMs = 10000;

const GeneratedPlatform generated(Devices, QStringLiteral("ZB"));
constexpr int VariablesPerDevice = GeneratedPlatform::VariablesPerDevice;

QString serial(int device) { return generated.serial(device); }

QList<DevConfig> configs() {
  QList<DevConfig> list;
  for (int device = 0; device < Devices; ++device) {
    DataGroup group{serial(device), VariablesPerDevice, QStringLiteral("Analog"), {}};
    for (int code = 1; code <= VariablesPerDevice; ++code) {
      DataInfo variable;
      variable.sn_code = serial(device);
      variable.data_name = QStringLiteral("V%1").arg(code);
      variable.data_type = GeneratedPlatform::TypeCodes[code - 1];
      variable.data_writeable = 1;
      variable.data_code = code;
      group.variables.append(variable);
    }
    list.append({serial(device), 1, {group}});
  }
  return list;
}

// One pushed message as the platform sends it.
QString pushedMessage(int device, int round) {
  QString values;
  for (int code = 1; code <= VariablesPerDevice; ++code)
    values += QStringLiteral("%1\"%2\":\"%3\"").arg(code > 1 ? "," : "").arg(code).arg((round + code) % 1000);
  return QStringLiteral(R"({"meta":{"success":"true","message":""},"data":{"%1":{%2}}})").arg(serial(device), values);
}

// The platform for the whole run, started by the first load benchmark and
// ended by main.
std::unique_ptr<StandinProcess> runningPlatform;

void startPlatform() {
  if (runningPlatform) return;
  runningPlatform = std::make_unique<StandinProcess>();
  if (!runningPlatform->start(generated.dataFile(), true)) qFatal("the platform stand-in did not start");
  g_serverAddress = QString::fromStdString(runningPlatform->address());
  buildPlatformUrls();
  g_session = {"13800000000", "true", "login ok", 1001, "tok-abc123"};
  // The bridge asks for values itself only once an hour: the load is the platform's pushes.
  g_intervalTime = QStringLiteral("3600000");
}

// Lets the feed settle, then counts the messages the client hands on and the
// CPU used over the measuring period.
void measureLoad(benchmark::State& state, uwebsocket& client) {
  long long handled = 0;
  QObject::connect(&client, &uwebsocket::getNewMessageSignal, [&handled] { ++handled; });
  for (auto _ : state) {
    LoadWindow::RunEventsFor(WarmUpMs);
    const long long handledBefore = handled;
    const double cpuBefore = LoadWindow::ProcessCpuSeconds();
    QElapsedTimer wall;
    wall.start();
    LoadWindow::RunEventsFor(MeasureMs);
    const double seconds = wall.nsecsElapsed() / 1e9;
    state.counters["messages_per_s"] = (handled - handledBefore) / seconds;
    state.counters["cpu_cores"] = (LoadWindow::ProcessCpuSeconds() - cpuBefore) / seconds;
  }
  state.counters["offered_per_s"] = Devices;
}

void BM_BridgeUnderLoad(benchmark::State& state) {
  startPlatform();
  QTemporaryDir registry;
  qputenv("ZELVO_REGISTRY_DIR", registry.path().toLocal8Bit());
  const QList<DevConfig> devices = configs();
  auto bridge = std::make_unique<korvane>(devices);
  setOpcServer(bridge.get());
  if (!bridge->init(devices)) return state.SkipWithError("the toolkit's server did not start");
  uwebsocket client(devices);
  client.initWebSocket();
  QObject::connect(&client, &uwebsocket::getNewMessageSignal, bridge.get(), &korvane::getNewMessageSlot);
  measureLoad(state, client);
  setOpcServer(nullptr);
}

// The least work of the same road: the messages received, and nothing done with them.
void BM_ClientAloneUnderLoad(benchmark::State& state) {
  startPlatform();
  uwebsocket client(configs());
  client.initWebSocket();
  measureLoad(state, client);
}

void BM_BridgeHandlesOneMessage(benchmark::State& state) {
  const QList<DevConfig> devices = configs();
  korvane bridge(devices);
  bridge.addTagsForRealTimeData(devices);
  int round = 0;
  for (auto _ : state) {
    ++round;
    bridge.getNewMessageSlot(pushedMessage(round % Devices, round));
  }
  state.SetItemsProcessed(state.iterations());
}

// The least work of one message: its JSON read once.
void BM_ParseOneMessage(benchmark::State& state) {
  Json::CharReaderBuilder builder;
  const std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
  int round = 0;
  for (auto _ : state) {
    ++round;
    const std::string text = pushedMessage(round % Devices, round).toStdString();
    Json::Value message;
    benchmark::DoNotOptimize(reader->parse(text.data(), text.data() + text.size(), &message, nullptr));
  }
  state.SetItemsProcessed(state.iterations());
}

BENCHMARK(BM_ClientAloneUnderLoad)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();
BENCHMARK(BM_BridgeUnderLoad)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();
BENCHMARK(BM_ParseOneMessage)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BridgeHandlesOneMessage)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  return RunQtBenchmarks(argc, argv, [] { runningPlatform.reset(); });
}
