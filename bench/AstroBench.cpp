// The astronomical searches the main window and the year list run on every
// refresh or year change, in both models (argument 0: the design's formulas,
// 1: the precise model).
#include <benchmark/benchmark.h>

#include "astro/precise/Events.h"
#include "astro/precise/MoonSeries.h"

#include <string>

#include "astro/astro.h"

namespace {

constexpr CalendarRule kMixed = CalendarRule::JulianThenGregorian;
const DateClock kLists = DayCountClock(kMixed);
const double kNoon2000 = DayNoon(2000, 1, 1, kMixed);

constexpr Place kTokyo{35.68, 139.77};
const DateClock kTokyoClock{kMixed, Clock{TimeZone::Design(), kTokyo.longitude}};

const Ephemeris& EphemerisOfState(const benchmark::State& state) {
  return EphemerisOf(state.range(0) ? AstroModel::Precise : AstroModel::Design);
}

// Each day a new one, so that nothing the precise model keeps of the last day
// is reused.
void BM_MoonRiseTime(benchmark::State& state) {
  const Ephemeris& ephemeris = EphemerisOfState(state);
  int day = 0;
  for (auto _ : state)
    benchmark::DoNotOptimize(ephemeris.RiseTime(BodyMoon, kNoon2000 + day++ % 366, kTokyo, kTokyoClock));
}
BENCHMARK(BM_MoonRiseTime)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// A year far from the last each time, and the precise model's memo of found
// events emptied (outside the timing) before it: a repeated year would be
// free. Its years 1910–2087 lie within the table of found events
// (1800–2200), so the precise rows measure the lists read from it.
double FreshYear(benchmark::State& state, int& k) {
  state.PauseTiming();
  precise::ForgetFoundEvents();
  state.ResumeTiming();
  return 2000.0 + 3.0 * (k++ % 60 - 30);
}

void BM_ListSolarTerms366(benchmark::State& state) {
  const Ephemeris& ephemeris = EphemerisOfState(state);
  int k = 0;
  for (auto _ : state) benchmark::DoNotOptimize(ephemeris.YearEvents(EventKind::SolarTerms, FreshYear(state, k), 366, kLists));
}
BENCHMARK(BM_ListSolarTerms366)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_ListMoonPhases430(benchmark::State& state) {
  const Ephemeris& ephemeris = EphemerisOfState(state);
  int k = 0;
  for (auto _ : state)
    benchmark::DoNotOptimize(ephemeris.YearEvents(EventKind::MoonPhases, FreshYear(state, k), kYearEventDays, kLists));
}
BENCHMARK(BM_ListMoonPhases430)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// The same far from J2000 (around −600), where the frame takes the full
// nutation series.
double FreshFarYear(benchmark::State& state, int& k) {
  state.PauseTiming();
  precise::ForgetFoundEvents();
  state.ResumeTiming();
  return -600.0 + 3.0 * (k++ % 60 - 30);
}

void BM_ListSolarTermsFar(benchmark::State& state) {
  const Ephemeris& ephemeris = EphemerisOfState(state);
  int k = 0;
  for (auto _ : state)
    benchmark::DoNotOptimize(ephemeris.YearEvents(EventKind::SolarTerms, FreshFarYear(state, k), 366, kLists));
}
BENCHMARK(BM_ListSolarTermsFar)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_ListMoonPhasesFar(benchmark::State& state) {
  const Ephemeris& ephemeris = EphemerisOfState(state);
  int k = 0;
  for (auto _ : state)
    benchmark::DoNotOptimize(ephemeris.YearEvents(EventKind::MoonPhases, FreshFarYear(state, k), kYearEventDays, kLists));
}
BENCHMARK(BM_ListMoonPhasesFar)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_TideTimes(benchmark::State& state) {
  const DateClock harbour = HarbourClock(kMixed, TimeZone::Design());
  for (auto _ : state) benchmark::DoNotOptimize(TideTimes(kNoon2000, kTokyo, harbour));
}
BENCHMARK(BM_TideTimes)->Unit(benchmark::kMicrosecond);

// The searches of one main-window refresh on a day without a term: the day's
// term, the year's terms for the current one, the nine star's switch days,
// the moon's age and the observances' two day counts. Each time a new day of
// May 2000 with the precise model's memos of found events emptied (outside
// the timing), as on the first refresh of a day in a year not yet shown.
void BM_DayPanelSearches(benchmark::State& state) {
  const Ephemeris& ephemeris = EphemerisOfState(state);
  int k = 0;
  for (auto _ : state) {
    state.PauseTiming();
    precise::ForgetFoundEvents();
    const double day = 1 + k++ % 31;
    state.ResumeTiming();
    benchmark::DoNotOptimize(ephemeris.SolarTermOfDay(2000, 5, day, kLists));
    benchmark::DoNotOptimize(YearEventTable(ephemeris, EventKind::SolarTerms, 2000, 400, kLists));
    const double noon = DayNoon(2000, 5, day, kMixed);
    benchmark::DoNotOptimize(ephemeris.SolsticeCycleStartDays(noon, kLists));
    benchmark::DoNotOptimize(ephemeris.RecentNewMoons(noon, kLists));
    benchmark::DoNotOptimize(ephemeris.DaysSinceSpringBegins(2000, 5, day, kLists));
    benchmark::DoNotOptimize(ephemeris.SunDegreeOfDay(2000, 5, day, kLists));
  }
}
BENCHMARK(BM_DayPanelSearches)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// The places of the seven bodies for the chart (the moon topocentric), each
// time a minute later: the precise model keeps the last moment's frame, and
// the chart asks for a new minute when the user steps the time.
void BM_BodyPlaces(benchmark::State& state) {
  const Ephemeris& ephemeris = EphemerisOfState(state);
  int minute = 0;
  for (auto _ : state) {
    const JulianDay at = kNoon2000 + minute++ / 1440.0;
    for (int body = 0; body < kBodyCount; ++body)
      benchmark::DoNotOptimize(ephemeris.Position(body, at, kTokyo, true));
  }
}
BENCHMARK(BM_BodyPlaces)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// One place of the precise model's moon from the series it carries, each
// time a minute later (nothing of it is kept between places).
void BM_MoonSeriesPlace(benchmark::State& state) {
  int minute = 0;
  for (auto _ : state) benchmark::DoNotOptimize(precise::MoonGeocentric(kNoon2000 + minute++ / 1440.0));
}
BENCHMARK(BM_MoonSeriesPlace)->Unit(benchmark::kMicrosecond);

}  // namespace
