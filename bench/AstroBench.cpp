// The astronomical searches the main window and the year list run on every
// refresh or year change.
#include <benchmark/benchmark.h>

#include <string>

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

// The searches of one main-window refresh on a day without a term: the day's
// term, the year's terms for the current one, the nine star's switch days,
// the moon's age and the observances' two day counts.
void BM_DayPanelSearches(benchmark::State& state) {
  for (auto _ : state) {
    std::string name;
    double longitude = 0, a = 0, b = 0, jd = 0;
    SolarTermOfDay(2000, 5, 10, name, longitude);
    BuildSolarTermTable(2000, 400);
    const double noon = DateToJulianDay(2000, 5, 10, 12.0, 135.0);
    SolsticeCycleStartDays(noon, a, b);
    RecentNewMoons(noon, a, b);
    benchmark::DoNotOptimize(DaysSinceSpringBegins(2000, 5, 10));
    benchmark::DoNotOptimize(SunDegreeOfDay(2000, 5, 10, jd));
  }
}
BENCHMARK(BM_DayPanelSearches)->Unit(benchmark::kMicrosecond);

}  // namespace
