// The astronomical searches the main window and the year list run on every
// refresh or year change.
#include <benchmark/benchmark.h>

#include "astro/astro.h"

namespace {

const double kNoon2000 = DateToJulianDay(2000, 1, 1, 12.0, 135.0);

void UseTokyo() {
  ObserverLatitude = 35.68;
  ObserverLongitude = 139.77;
}

void BM_MoonRiseTime(benchmark::State& state) {
  UseTokyo();
  for (auto _ : state) benchmark::DoNotOptimize(RiseTime(kNoon2000, BodyMoon));
}
BENCHMARK(BM_MoonRiseTime);

void BM_ListSolarTerms366(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(ListSolarTerms(kNoon2000, 366.0));
}
BENCHMARK(BM_ListSolarTerms366)->Unit(benchmark::kMicrosecond);

void BM_ListMoonPhases430(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(ListMoonPhases(kNoon2000, 430.0));
}
BENCHMARK(BM_ListMoonPhases430)->Unit(benchmark::kMicrosecond);

void BM_TideTimes(benchmark::State& state) {
  UseTokyo();
  for (auto _ : state) {
    TideTimes(kNoon2000);
    benchmark::DoNotOptimize(HighWater1);
  }
}
BENCHMARK(BM_TideTimes)->Unit(benchmark::kMicrosecond);

}  // namespace
