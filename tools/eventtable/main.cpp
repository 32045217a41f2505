// ombrel-eventtable OUTPUT.cpp: writes the table of the precise model's solar
// terms and moon phases of 1800–2200 (astro/precise/EventTableData.cpp) from
// a fresh search of every block. Run it again whenever the search or the
// ephemeris changes:
//   build/tools/ombrel-eventtable astro/precise/EventTableData.cpp
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "astro/precise/EventTable.h"
#include "astro/precise/Events.h"

namespace {

constexpr JulianDay kFrom = 2378496.5;   // 1800-01-01 0:00 UT
constexpr JulianDay kUntil = 2524593.5;  // 2200-01-01 0:00 UT

long long BlockOf(JulianDay t) {
  return static_cast<long long>(std::floor((t - precise::kEventBlockEpoch) / precise::kEventBlockDays));
}

// One motion's arrays, named after `name`.
bool WriteMotion(std::FILE* out, const char* name, const precise::Motion& m, double step, long long first,
                 long long last) {
  std::vector<std::uint32_t> starts{0}, moments;
  std::vector<int> firstAngles;
  for (long long k = first; k <= last; ++k) {
    const JulianDay start = precise::kEventBlockEpoch + static_cast<double>(k) * precise::kEventBlockDays;
    const std::vector<AngleEvent> events = precise::SearchBlock(m, step, k);
    firstAngles.push_back(events.empty() ? 0 : static_cast<int>(std::lround(events[0].angle / step)));
    for (const AngleEvent& e : events) {
      const double fraction = (e.moment - start) / precise::kEventBlockDays;
      if (!(fraction >= 0.0 && fraction < 1.0)) return false;
      moments.push_back(static_cast<std::uint32_t>(std::fmin(std::ldexp(fraction, 32) + 0.5, 4294967295.0)));
    }
    starts.push_back(static_cast<std::uint32_t>(moments.size()));
  }
  auto array = [out](const char* type, const std::string& id, const auto& values) {
    std::fprintf(out, "const %s %s[] = {", type, id.c_str());
    for (std::size_t i = 0; i < values.size(); ++i)
      std::fprintf(out, "%s%lu,", i % 12 == 0 ? "\n    " : " ", static_cast<unsigned long>(values[i]));
    std::fprintf(out, "\n};\n");
  };
  array("std::uint32_t", std::string("k") + name + "Starts", starts);
  array("std::uint8_t", std::string("k") + name + "FirstAngles", firstAngles);
  array("std::uint32_t", std::string("k") + name + "Moments", moments);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: ombrel-eventtable OUTPUT.cpp\n");
    return 2;
  }
  std::FILE* out = std::fopen(argv[1], "w");
  if (!out) {
    std::perror(argv[1]);
    return 1;
  }
  const long long first = BlockOf(kFrom), last = BlockOf(kUntil);
  std::fprintf(out,
               "// Made by ombrel-eventtable (tools/eventtable): the precise model's solar terms and\n"
               "// moon phases of 1800-2200 by blocks. Do not edit; make it again instead.\n"
               "#include \"astro/precise/EventTable.h\"\n\nnamespace precise {\nnamespace {\n\n");
  const bool ok = WriteMotion(out, "Sun", precise::kSunMotion, 15.0, first, last) &&
                  WriteMotion(out, "Moon", precise::kMoonMotion, 90.0, first, last);
  std::fprintf(out,
               "\n}  // namespace\n\n"
               "const EventTableData kTabledSunTerms = {%lld, %lld, 15.0, kSunStarts, kSunFirstAngles, kSunMoments};\n"
               "const EventTableData kTabledMoonPhases = {%lld, %lld, 90.0, kMoonStarts, kMoonFirstAngles, "
               "kMoonMoments};\n\n}  // namespace precise\n",
               first, last - first + 1, first, last - first + 1);
  if (std::fclose(out) != 0 || !ok) {
    std::fprintf(stderr, "ombrel-eventtable: could not write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
