// ombrel-bench-ui: benchmarks of the windows' drawing, run offscreen
// (QT_QPA_PLATFORM=offscreen). One QApplication for all of them.
#include <QApplication>

#include <benchmark/benchmark.h>

int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
