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
// for in ZELVO_WINDOWS_BUILD_DIR (scripts/bench builds it). The runs use a Wine
// prefix of their own, whose processes this program ends when it ends, so
// that it never touches the test suite's prefix.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <sys/stat.h>

namespace {

constexpr int kItems = 10000;
constexpr double kDeliverySeconds = 3.0;
constexpr double kReadSeconds = 1.0;
// Longest a worker run may take, its Wine start included.
constexpr int kWorkerLimitSeconds = 120;

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

const std::string& WinePrefix() {
  static const std::string prefix = std::string(ZELVO_WINDOWS_BUILD_DIR) + "/road-bench/wineprefix";
  return prefix;
}

// Ends every process of the benchmark's prefix when the program ends (the
// first worker run makes it).
struct PrefixEnd {
  ~PrefixEnd() {
    if (!used) return;
    const std::string command = "WINEPREFIX=" + ShellQuoted(WinePrefix()) + " wineserver -k 2>/dev/null";
    // Non-zero when nothing runs there any more.
    [[maybe_unused]] const int status = std::system(command.c_str());
  }
  bool used = false;
} prefixEnd;

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
  prefixEnd.used = true;
  const std::string command = "timeout -k 10 " + std::to_string(kWorkerLimitSeconds) + " " +
                              ShellQuoted(ZELVO_WINE_RUN) + " " + ShellQuoted(WinePrefix()) + " " +
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
    if (equals == std::string::npos) continue;
    char* end = nullptr;
    const std::string number = word.substr(equals + 1);
    const double value = std::strtod(number.c_str(), &end);
    if (end != number.c_str() && *end == '\0') figures.values[word.substr(0, equals)] = value;
  }
  return figures;
}

// The figures of one run, or the reason there are none, which skips the case.
bool Figures(benchmark::State& state, const std::string& arguments, const std::vector<std::string>& names,
             std::map<std::string, double>& values) {
  WorkerFigures figures = RunWorker(arguments);
  for (const std::string& name : names) {
    if (figures.error.empty() && figures.values.count(name) == 0) {
      figures.error = "road_bench_worker " + arguments + ": no " + name + " in its figures";
    }
  }
  if (!figures.error.empty()) {
    state.SkipWithError(figures.error.c_str());
    return false;
  }
  values = figures.values;
  return true;
}

std::string ClientPlace(bool outOfProcess) { return outOfProcess ? " --out-of-process" : ""; }

// Arguments: the clients.
void Deliveries(benchmark::State& state, bool outOfProcess) {
  for (auto _ : state) {
    std::map<std::string, double> figures;
    if (!Figures(state,
                 "deliveries --clients " + std::to_string(state.range(0)) + " --items " + std::to_string(kItems) +
                     " --seconds " + std::to_string(kDeliverySeconds) + ClientPlace(outOfProcess),
                 {"seconds", "items"}, figures)) {
      return;
    }
    state.SetIterationTime(figures["seconds"]);
    state.SetItemsProcessed(static_cast<int64_t>(figures["items"]));
  }
}

// Arguments: the items of one read. The iteration's time is one call's: a
// read's, or with `emptyCall` (no arguments) that of a call that does no
// work, which the worker times beside reads of one item.
void Reads(benchmark::State& state, bool outOfProcess, bool emptyCall = false) {
  const int64_t items = emptyCall ? 1 : state.range(0);
  for (auto _ : state) {
    std::map<std::string, double> figures;
    if (!Figures(state,
                 "read --items " + std::to_string(items) + " --seconds " + std::to_string(kReadSeconds) +
                     ClientPlace(outOfProcess),
                 {"seconds", "reads", "call_seconds", "calls"}, figures)) {
      return;
    }
    state.SetIterationTime(emptyCall ? figures["call_seconds"] / figures["calls"]
                                     : figures["seconds"] / figures["reads"]);
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
