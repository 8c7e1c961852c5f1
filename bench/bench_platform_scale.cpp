// The whole program's platform side at the scale of a large account: 20,000
// devices with 5 variables each, served by the platform stand-in run as a
// program of its own from a generated data file. The main window's
// configuration step runs once, as after a login (device list, every
// device's configuration, the WebSocket client, the OPC bridge and its
// 100,000 tags); then the bridge asks for every device once a second, as it
// does with an update interval of 1000 ms, and the platform's answers bring
// one message per device per second.
//
// Figures:
//   seconds_to_tags  from the start of the configuration step to every
//                    variable being a tag (target: under 60)
//   tags             tags the toolkit made (100,000 when all were)
//   messages_per_s   device messages the bridge applied per second
//   offered_per_s    device messages per second the platform sends
//   gui_busy         share of the GUI thread's time it was working (target:
//                    under 0.5)
//   cpu_cores        CPU the whole process used, in cores
//   read_losses      read-channel connections lost while measuring
#include <ctime>
#include <memory>
#include <string>

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include "GeneratedPlatform.h"
#include "LoadWindow.h"
#include "configfile.h"
#include "curlglobal.h"
#include "korvane.h"
#include "loginform.h"
#include "loginsession.h"
#include "platformurls.h"
#include "support/settingsfolder.h"
#include "support/standinprocess.h"
#include "uwebsocket.h"
#include "zelvoopcsrv.h"

namespace {

constexpr int Devices = 20000;
constexpr int WarmUpMs = 5000;
constexpr int MeasureMs = 15000;

const GeneratedPlatform generated(Devices, QStringLiteral("ZS"));

double seconds(const timespec& t) { return t.tv_sec + t.tv_nsec / 1e9; }

double threadCpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return seconds(now);
}

// The program, logged in and configured once per process: the toolkit's
// server starts once in a process's life.
struct RunningProgram {
  StandinProcess platform;
  SettingsFolder settings;
  QTemporaryDir registry;
  ZelvoOpcSrv* window = nullptr;
  double secondsToTags = 0;
  int tags = 0;

  ~RunningProgram() {
    if (window == nullptr) return;
    uwebsocket* client = window->webSocketClient();
    korvane* bridge = g_opcServer;
    delete window;
    delete client;
    delete bridge;
  }
};
std::unique_ptr<RunningProgram> program;

// Starts the platform and runs the configuration step as after a login, with
// the bridge asking for every device each second.
bool startProgram() {
  if (program) return program->window != nullptr;
  program = std::make_unique<RunningProgram>();
  if (!program->platform.start(generated.dataFile())) return false;
  qputenv("ZELVO_REGISTRY_DIR", program->registry.path().toLocal8Bit());
  g_serverAddress = QString::fromStdString(program->platform.address());
  buildPlatformUrls();
  g_session = {"13800000000", "true", "login ok", 1001, "tok-abc123"};
  g_loginForm = {"13800000000", "demo123", "", "0123456789abcdefghij"};
  g_intervalTime = QStringLiteral("1000");

  QElapsedTimer toTags;
  toTags.start();
  program->window = new ZelvoOpcSrv;
  program->window->InitializeConfigData();
  program->secondsToTags = toTags.nsecsElapsed() / 1e9;
  for (const CTag* tag : g_opcServer->tags()) program->tags += tag->created() ? 1 : 0;
  return true;
}

void BM_ConfigurationStep(benchmark::State& state) {
  for (auto _ : state)
    if (!startProgram()) return state.SkipWithError("the platform stand-in did not start");
  state.counters["seconds_to_tags"] = program->secondsToTags;
  state.counters["tags"] = program->tags;
}

void BM_OneMessagePerDevicePerSecond(benchmark::State& state) {
  if (!startProgram()) return state.SkipWithError("the platform stand-in did not start");
  uwebsocket* client = program->window->webSocketClient();
  long long handled = 0;
  int losses = 0;
  const QMetaObject::Connection counting =
      QObject::connect(client, &uwebsocket::getNewMessageSignal, [&handled] { ++handled; });
  const QMetaObject::Connection losing = QObject::connect(client, &uwebsocket::readChannelLost, [&losses] { ++losses; });
  for (auto _ : state) {
    LoadWindow::RunEventsFor(WarmUpMs);
    const long long handledBefore = handled;
    const int lossesBefore = losses;
    const double guiBefore = threadCpuSeconds();
    const double cpuBefore = LoadWindow::ProcessCpuSeconds();
    QElapsedTimer wall;
    wall.start();
    LoadWindow::RunEventsFor(MeasureMs);
    const double elapsed = wall.nsecsElapsed() / 1e9;
    state.counters["messages_per_s"] = (handled - handledBefore) / elapsed;
    state.counters["gui_busy"] = (threadCpuSeconds() - guiBefore) / elapsed;
    state.counters["cpu_cores"] = (LoadWindow::ProcessCpuSeconds() - cpuBefore) / elapsed;
    state.counters["read_losses"] = losses - lossesBefore;
  }
  state.counters["offered_per_s"] = Devices;
  QObject::disconnect(counting);
  QObject::disconnect(losing);
}

BENCHMARK(BM_ConfigurationStep)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();
BENCHMARK(BM_OneMessagePerDevicePerSecond)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  // The main window needs a widget application; no display is needed.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  CurlGlobal curl;
  // The program's diagnostic lines are formed as in the program, not printed.
  qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  program.reset();
  return 0;
}
