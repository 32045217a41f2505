// All the eclipses of a year at a place, as `ombrel-cli eclipses YEAR`
// computes them (the same in both models: the precise ephemeris).
#include <benchmark/benchmark.h>

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

}  // namespace
