// All the eclipses of a year at a place, as `ombrel-cli eclipses YEAR`
// computes them (the same in both models: the precise ephemeris).
#include <benchmark/benchmark.h>

#include "astro/EclipseDays.h"
#include "astro/TimeScales.h"
#include "astro/precise/Eclipses.h"

namespace {

// Universal Time, for spans given in UT.
const DateClock kUtClock{CalendarRule::JulianThenGregorian, Clock{TimeZone::Design(), 0.0}};

constexpr Place kTokyo{35.6, 139.7};

// A different year each time, 1950-2049, in JST.
void BM_EclipsesOfAYear(benchmark::State& state) {
  int k = 0;
  for (auto _ : state) {
    const int year = 1950 + k++ % 100;
    const JulianDay from = DateToJulianDay(year, 1, 1, 0.0, kUtClock) - 9.0 / 24.0;
    const JulianDay to = DateToJulianDay(year + 1, 1, 1, 0.0, kUtClock) - 9.0 / 24.0;
    benchmark::DoNotOptimize(precise::LunarEclipses(from, to, kTokyo));
    benchmark::DoNotOptimize(precise::SolarEclipses(from, to, kTokyo));
  }
}
BENCHMARK(BM_EclipsesOfAYear)->Unit(benchmark::kMillisecond);

// The day's eclipses as the 暦注 list asks for them: argument 0 day by day
// through 2025 (a new week's search every seventh day on average), 1 a new
// search each time of the week of the 2025-09-08 lunar eclipse (a place a
// metre apart each time).
void BM_EclipsesOfADay(benchmark::State& state) {
  const DateClock jst{CalendarRule::JulianThenGregorian, Clock{TimeZone::Design(), 135.0}};
  int k = 0;
  for (auto _ : state) {
    ++k;
    if (state.range(0))
      benchmark::DoNotOptimize(eclipses::EclipsesOfDay(2025, 9, 8, jst, Place{35.6, 139.7 + k % 2 * 1e-5}));
    else
      benchmark::DoNotOptimize(eclipses::EclipsesOfDay(2025, 1, 1 + k % 365, jst, kTokyo));  // days past January carry
  }
}
BENCHMARK(BM_EclipsesOfADay)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
