// The main of a benchmark program that needs a Qt application object: the
// program's diagnostic lines are formed as in the program but not printed, and
// whatever the benchmarks left running is ended while the application object
// still lives.
#pragma once

#include <QCoreApplication>
#include <benchmark/benchmark.h>

template <typename EndShared>
int RunQtBenchmarks(int argc, char** argv, EndShared endShared) {
  QCoreApplication application(argc, argv);
  qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  endShared();
  return 0;
}
