// The astronomical searches the main window and the year list run on every
// refresh or year change, in both models (argument 0: the design's formulas,
// 1: the precise model).
#include <benchmark/benchmark.h>

#include <string>

#include "astro/astro.h"

namespace {

const double kNoon2000 = DateToJulianDay(2000, 1, 1, 12.0, kJstLongitude);

constexpr Place kTokyo{35.68, 139.77};

AstroModel ModelOf(const benchmark::State& state) {
  return state.range(0) ? AstroModel::Precise : AstroModel::Design;
}

// Each day a new one, so that nothing the precise model keeps of the last day
// is reused.
void BM_MoonRiseTime(benchmark::State& state) {
  int day = 0;
  for (auto _ : state)
    benchmark::DoNotOptimize(RiseTime(ModelOf(state), kNoon2000 + day++ % 366, BodyMoon, kTokyo));
}
BENCHMARK(BM_MoonRiseTime)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// A year far from the last each time: the precise model keeps the events it
// has found, which would make a repeated year free.
double FreshYear(int& k) { return kNoon2000 + 365.25 * 3.0 * (k++ % 60 - 30); }

void BM_ListSolarTerms366(benchmark::State& state) {
  int k = 0;
  for (auto _ : state) benchmark::DoNotOptimize(ListSolarTerms(ModelOf(state), FreshYear(k), 366.0));
}
BENCHMARK(BM_ListSolarTerms366)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_ListMoonPhases430(benchmark::State& state) {
  int k = 0;
  for (auto _ : state) benchmark::DoNotOptimize(ListMoonPhases(ModelOf(state), FreshYear(k), 430.0));
}
BENCHMARK(BM_ListMoonPhases430)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// The same far from J2000 (around −600), where the frame takes the full
// nutation series.
double FreshFarYear(int& k) { return kNoon2000 - 365.25 * (2600.0 + 3.0 * (k++ % 60)); }

void BM_ListSolarTermsFar(benchmark::State& state) {
  int k = 0;
  for (auto _ : state) benchmark::DoNotOptimize(ListSolarTerms(ModelOf(state), FreshFarYear(k), 366.0));
}
BENCHMARK(BM_ListSolarTermsFar)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_ListMoonPhasesFar(benchmark::State& state) {
  int k = 0;
  for (auto _ : state) benchmark::DoNotOptimize(ListMoonPhases(ModelOf(state), FreshFarYear(k), 430.0));
}
BENCHMARK(BM_ListMoonPhasesFar)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_TideTimes(benchmark::State& state) {
  for (auto _ : state) {
    TideTimes(kNoon2000, kTokyo);
    benchmark::DoNotOptimize(HighWater1);
  }
}
BENCHMARK(BM_TideTimes)->Unit(benchmark::kMicrosecond);

// The searches of one main-window refresh on a day without a term: the day's
// term, the year's terms for the current one, the nine star's switch days,
// the moon's age and the observances' two day counts.
void BM_DayPanelSearches(benchmark::State& state) {
  const AstroModel model = ModelOf(state);
  for (auto _ : state) {
    std::string name;
    double longitude = 0, a = 0, b = 0, jd = 0;
    SolarTermOfDay(model, 2000, 5, 10, name, longitude);
    BuildSolarTermTable(model, 2000, 400);
    const double noon = DateToJulianDay(2000, 5, 10, 12.0, kJstLongitude);
    SolsticeCycleStartDays(model, noon, a, b);
    RecentNewMoons(model, noon, a, b);
    benchmark::DoNotOptimize(DaysSinceSpringBegins(model, 2000, 5, 10));
    benchmark::DoNotOptimize(SunDegreeOfDay(model, 2000, 5, 10, jd));
  }
}
BENCHMARK(BM_DayPanelSearches)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// The places of the seven bodies for the chart (the moon topocentric).
void BM_BodyPlaces(benchmark::State& state) {
  const AstroModel model = ModelOf(state);
  for (auto _ : state)
    for (int body = 0; body < kBodyCount; ++body) BodyPlace(model, body, kNoon2000, BodyRecord(body), kTokyo);
}
BENCHMARK(BM_BodyPlaces)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace
