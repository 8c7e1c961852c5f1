// The OPC bridge's answers to the toolkit's callbacks with 15,000 tags (3000
// devices with 5 variables each): an OPC client's read from the device and an
// OPC client's write, each of which first finds the tag's record by its
// handle. Beside them, the least work such a call must do: one lookup of the
// handle in a hash table of 15,000 entries. Handles are taken in a shuffled
// order, so that neither call profits from the order the tags were made in.
// The write also converts the value, publishes it to the toolkit's tag and
// forms its text for the platform; no OPC client is connected.
#include "OnlinePlatform.h"
#include "QtBenchmarkMain.h"

#include <algorithm>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include <QHash>
#include <QLoggingCategory>

#include <benchmark/benchmark.h>

#include "korvane.h"

namespace {

constexpr int Devices = 3000;
constexpr int VariablesPerDevice = 5;
// The data-type codes of the five variables: float, 32-bit unsigned and
// signed, 16-bit unsigned and signed.
constexpr int TypeCodes[VariablesPerDevice] = {10, 5, 7, 0, 6};

QString serial(int device) { return QStringLiteral("ZB%1").arg(device, 6, 10, QLatin1Char('0')); }

QList<DevConfig> configuration() {
  QList<DevConfig> devices;
  for (int device = 0; device < Devices; ++device) {
    const QString sn = serial(device);
    DataGroup group{sn, VariablesPerDevice, QStringLiteral("Analog"), {}};
    for (int code = 1; code <= VariablesPerDevice; ++code) {
      DataInfo variable;
      variable.sn_code = sn;
      variable.data_name = QStringLiteral("V%1").arg(code);
      variable.data_type = TypeCodes[code - 1];
      variable.data_writeable = 1;
      variable.data_code = code;
      group.variables.append(variable);
    }
    devices.append({sn, 1, {group}});
  }
  return devices;
}

// The platform listing every device online, and the bridge with its 15,000
// tags, made once for the whole run.
class BridgeUnderTest {
public:
  BridgeUnderTest() : platform_(allSerials()) {
    const QList<DevConfig> devices = configuration();
    bridge_ = std::make_unique<korvane>(devices);
    setOpcServer(bridge_.get());
    if (!bridge_->init(devices)) return;
    for (const CTag* tag : bridge_->tags())
      if (tag->created()) handles_.push_back(tag->handle);
    std::shuffle(handles_.begin(), handles_.end(), std::mt19937(27));
  }

  ~BridgeUnderTest() { setOpcServer(nullptr); }

  // Every tag's handle, shuffled; empty when the toolkit's server did not start.
  const std::vector<DWORD>& handles() const { return handles_; }

private:
  static QStringList allSerials() {
    QStringList serials;
    for (int device = 0; device < Devices; ++device) serials << serial(device);
    return serials;
  }

  OnlinePlatform platform_;
  std::unique_ptr<korvane> bridge_;
  std::vector<DWORD> handles_;
};

std::unique_ptr<BridgeUnderTest> bridgeUnderTest;

const std::vector<DWORD>& sharedHandles() {
  if (!bridgeUnderTest) {
    // The callbacks' diagnostic lines are not formed, as in a program that shows none.
    QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false"));
    bridgeUnderTest = std::make_unique<BridgeUnderTest>();
  }
  return bridgeUnderTest->handles();
}

void BM_BridgeDeviceRead(benchmark::State& state) {
  const std::vector<DWORD>& handles = sharedHandles();
  if (handles.empty()) return state.SkipWithError("the toolkit's server did not start");
  size_t next = 0;
  for (auto _ : state) {
    VARIANT value;
    VariantInit(&value);
    WORD quality = 0;
    FILETIME timestamp{};
    DeviceReadProc(handles[next], &value, &quality, &timestamp);
    benchmark::DoNotOptimize(quality);
    VariantClear(&value);
    next = (next + 1) % handles.size();
  }
  state.counters["tags"] = static_cast<double>(handles.size());
}

void BM_BridgeClientWrite(benchmark::State& state) {
  const std::vector<DWORD>& handles = sharedHandles();
  if (handles.empty()) return state.SkipWithError("the toolkit's server did not start");
  size_t next = 0;
  for (auto _ : state) {
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_I4;
    value.lVal = static_cast<LONG>(next % 100);
    DWORD result = 1;
    WriteNotificationProc(handles[next], &value, &result, const_cast<char*>("Unknown"));
    benchmark::DoNotOptimize(result);
    next = (next + 1) % handles.size();
  }
  state.counters["tags"] = static_cast<double>(handles.size());
}

// One lookup of a handle among as many entries as the bridge has tags.
void lookUpHandles(benchmark::State& state) {
  const std::vector<DWORD>& handles = sharedHandles();
  if (handles.empty()) return state.SkipWithError("the toolkit's server did not start");
  QHash<DWORD, void*> table;
  for (DWORD handle : handles) table.insert(handle, &table);
  size_t next = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(table.value(handles[next], nullptr));
    next = (next + 1) % handles.size();
  }
  state.counters["tags"] = static_cast<double>(handles.size());
}

void BM_BridgeDeviceRead_Limit(benchmark::State& state) { lookUpHandles(state); }
void BM_BridgeClientWrite_Limit(benchmark::State& state) { lookUpHandles(state); }

BENCHMARK(BM_BridgeDeviceRead)->Unit(benchmark::kNanosecond);
BENCHMARK(BM_BridgeDeviceRead_Limit)->Unit(benchmark::kNanosecond);
BENCHMARK(BM_BridgeClientWrite)->Unit(benchmark::kNanosecond);
BENCHMARK(BM_BridgeClientWrite_Limit)->Unit(benchmark::kNanosecond);

}  // namespace

int main(int argc, char** argv) {
  return RunQtBenchmarks(argc, argv, [] { bridgeUnderTest.reset(); });
}
