// OPC clients in other processes under Wine, beside in-process clients in the
// same run: items delivered per second through IOPCDataCallback::OnDataChange
// to 1 and 10 clients of 10,000 items each (update rate 10 ms, the host
// updating every tag as fast as it can), and the time of one synchronous
// cache Read of 1 and of 1,000 items, and of a call that does no work (the
// bare round trip). The in-process client is the limit: the same road
// without marshalling and without the second process.
//
// The measuring is done by the Windows flavour's road_bench_worker, which this
// program runs under Wine (bench/windows); each case is one run of it, timed
// by the worker and reported here as manual time. Its Windows build is looked
// for in ZELVO_WINDOWS_BUILD_DIR (scripts/bench builds it).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>

namespace {

constexpr int kItems = 10000;
constexpr double kDeliverySeconds = 3.0;
constexpr double kReadSeconds = 1.0;

// The figures the worker printed, by name, or the reason it gave none.
struct WorkerFigures {
  std::map<std::string, double> values;
  std::string error;
};

std::string ShellQuoted(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// Runs the worker under Wine with the arguments and reads its figures
// ("name=value" words on its last line).
WorkerFigures RunWorker(const std::string& arguments) {
  WorkerFigures figures;
  const std::string build = ZELVO_WINDOWS_BUILD_DIR;
  const std::string worker = build + "/bin/road_bench_worker.exe";
  struct stat info {};
  if (stat(worker.c_str(), &info) != 0) {
    figures.error = "no " + worker + ": build the Windows flavour's road_bench_worker first (scripts/bench does)";
    return figures;
  }
  const std::string command = ShellQuoted(ZELVO_WINE_RUN) + " " + ShellQuoted(build + "/wineprefix") + " " +
                              ShellQuoted(worker) + " " + arguments;
  FILE* output = popen(command.c_str(), "r");
  if (!output) {
    figures.error = "cannot run " + worker;
    return figures;
  }
  std::string text, lastLine;
  char buffer[512];
  while (fgets(buffer, sizeof buffer, output)) text += buffer;
  const int status = pclose(output);
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty()) lastLine = line;
  }
  if (status != 0 || lastLine.find('=') == std::string::npos) {
    figures.error = "road_bench_worker " + arguments + ": " + (lastLine.empty() ? "no output" : lastLine);
    return figures;
  }
  std::istringstream words(lastLine);
  for (std::string word; words >> word;) {
    const size_t equals = word.find('=');
    if (equals != std::string::npos) figures.values[word.substr(0, equals)] = std::stod(word.substr(equals + 1));
  }
  return figures;
}

std::string ClientPlace(bool outOfProcess) { return outOfProcess ? " --out-of-process" : ""; }

// Arguments: the clients.
void Deliveries(benchmark::State& state, bool outOfProcess) {
  for (auto _ : state) {
    const WorkerFigures figures =
        RunWorker("deliveries --clients " + std::to_string(state.range(0)) + " --items " + std::to_string(kItems) +
                  " --seconds " + std::to_string(kDeliverySeconds) + ClientPlace(outOfProcess));
    if (!figures.error.empty()) return state.SkipWithError(figures.error.c_str());
    state.SetIterationTime(figures.values.at("seconds"));
    state.SetItemsProcessed(static_cast<int64_t>(figures.values.at("items")));
  }
}

// Arguments: the items of one read. The iteration's time is one call's: a
// read's, or with `emptyCall` (no arguments) that of a call that does no
// work, which the worker times beside reads of one item.
void Reads(benchmark::State& state, bool outOfProcess, bool emptyCall = false) {
  const int64_t items = emptyCall ? 1 : state.range(0);
  for (auto _ : state) {
    const WorkerFigures figures =
        RunWorker("read --items " + std::to_string(items) + " --seconds " + std::to_string(kReadSeconds) +
                  ClientPlace(outOfProcess));
    if (!figures.error.empty()) return state.SkipWithError(figures.error.c_str());
    state.SetIterationTime(emptyCall ? figures.values.at("call_seconds") / figures.values.at("calls")
                                     : figures.values.at("seconds") / figures.values.at("reads"));
  }
}

void OnDataChangeToClients(benchmark::State& state) { Deliveries(state, true); }
void OnDataChangeToClients_Limit(benchmark::State& state) { Deliveries(state, false); }
void CacheRead(benchmark::State& state) { Reads(state, true); }
void CacheRead_Limit(benchmark::State& state) { Reads(state, false); }
// The round trip alone: IOPCCommon::GetLocaleID.
void EmptyCall(benchmark::State& state) { Reads(state, true, true); }
void EmptyCall_Limit(benchmark::State& state) { Reads(state, false, true); }

// One worker run per case: the worker repeats the operation itself.
BENCHMARK(OnDataChangeToClients)->Arg(1)->Arg(10)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(OnDataChangeToClients_Limit)->Arg(1)->Arg(10)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(CacheRead)->Arg(1)->Arg(1000)->Iterations(1)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(CacheRead_Limit)->Arg(1)->Arg(1000)->Iterations(1)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(EmptyCall)->Iterations(1)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(EmptyCall_Limit)->Iterations(1)->UseManualTime()->Unit(benchmark::kMicrosecond);

}  // namespace
