// ombrel-moonseries DATA_DIR OUTPUT.cpp: writes the moon's series that the
// program carries (astro/precise/MoonSeriesData.cpp) from the full series of
// ELP/MPP02 in DATA_DIR (data/elpmpp02): the terms whose amplitude, times
// |T|^n for the terms multiplied by Tⁿ at ten centuries from J2000, reaches
// the thresholds below (the longitude's finest: the phases follow it). Run it
// again when they change:
//   build/tools/ombrel-moonseries data/elpmpp02 astro/precise/MoonSeriesData.cpp
#include <erfam.h>

#include <cstdio>
#include <string>

#include "astro/precise/MoonSeries.h"

namespace {

// The thresholds: longitude and latitude in arcseconds, distance in km, and
// the span (centuries either side of J2000) at which the Tⁿ terms are weighed.
constexpr double kLongitudeArcsec = 3e-4;
constexpr double kLatitudeArcsec = 1e-3;
constexpr double kDistanceKm = 0.02;
constexpr double kCenturies = 10.0;

const char* CoordinateName(precise::MoonCoordinate c) {
  switch (c) {
    case precise::MoonCoordinate::kLongitude:
      return "kLongitude";
    case precise::MoonCoordinate::kLatitude:
      return "kLatitude";
    case precise::MoonCoordinate::kDistance:
      return "kDistance";
  }
  return "";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: ombrel-moonseries DATA_DIR OUTPUT.cpp\n");
    return 2;
  }
  std::string error;
  const precise::MoonSeries full = precise::MoonSeries::Read(argv[1], error);
  if (!error.empty()) {
    std::fprintf(stderr, "ombrel-moonseries: %s\n", error.c_str());
    return 1;
  }
  const precise::MoonSeries kept =
      full.Truncated(kLongitudeArcsec * ERFA_DAS2R, kLatitudeArcsec * ERFA_DAS2R, kDistanceKm, kCenturies);
  std::FILE* out = std::fopen(argv[2], "w");
  if (!out) {
    std::perror(argv[2]);
    return 1;
  }
  std::fprintf(out,
               "// Made by ombrel-moonseries (tools/moonseries) from data/elpmpp02: the %zu of the %zu terms of\n"
               "// ELP/MPP02 whose amplitude, times |T|^n at %g centuries for the terms in T^n, reaches\n"
               "// %g\" in longitude, %g\" in latitude, %g km in distance. Do not edit; make it again instead.\n"
               "#include \"astro/precise/MoonSeries.h\"\n\nnamespace precise {\nnamespace {\n\n",
               kept.Terms(), full.Terms(), kCenturies, kLongitudeArcsec, kLatitudeArcsec, kDistanceKm);
  const std::vector<precise::MoonTermGroup> groups = kept.Groups();
  for (std::size_t g = 0; g < groups.size(); ++g) {
    std::fprintf(out, "const MoonTerm kGroup%zu[] = {\n", g);
    for (const precise::MoonTerm& t : groups[g].terms) {
      std::fprintf(out, "    {%.17g, %.17g, %.17g, %d, {", t.amplitude, t.sine, t.cosine, t.factors);
      for (int f = 0; f < t.factors; ++f)
        std::fprintf(out, "%s{%d, %d}", f ? ", " : "", t.factor[f].argument, t.factor[f].multiple);
      std::fprintf(out, "}},\n");
    }
    std::fprintf(out, "};\n");
  }
  std::fprintf(out, "\nconst MoonTermGroup kGroups[] = {\n");
  for (std::size_t g = 0; g < groups.size(); ++g)
    std::fprintf(out, "    {MoonCoordinate::%s, %d, kGroup%zu},\n", CoordinateName(groups[g].coordinate),
                 groups[g].power, g);
  std::fprintf(out, "};\n\n}  // namespace\n\nconst std::span<const MoonTermGroup> kMoonSeries = kGroups;\n\n"
                    "}  // namespace precise\n");
  if (std::fclose(out) != 0) {
    std::fprintf(stderr, "ombrel-moonseries: could not write %s\n", argv[2]);
    return 1;
  }
  return 0;
}
