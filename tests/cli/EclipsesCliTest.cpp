// ombrel-cli eclipses against reference eclipses computed independently
// (tests/fixtures/astro): every lunar eclipse of 1950–2050 and every solar
// eclipse seen from 139.7 E, 35.6 N in those years, compared whole, in both
// models (the eclipses come from the precise ephemeris in either).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "astro/TimeScales.h"
#include "astro/precise/Eclipses.h"
#include "tests/support/ReferenceTsv.h"
#include "tests/support/TestSupport.h"

namespace {

// Universal Time, for spans given in UT.
const DateClock kUtClock{CalendarRule::JulianThenGregorian, Clock{TimeZone::Design(), 0.0}};

namespace ts = testsupport;
using Row = std::vector<std::string>;

constexpr int kFirstYear = 1950, kLastYear = 2050;
// Greatest eclipse within 30 s, every contact within 60 s, compared in TT:
// the reference took ΔT from the Espenak–Meeus polynomials, the command
// prints the ΔT it used (`delta_t`). The reference's shadow is enlarged by
// the same rule (the umbra by 1/50), so the umbral contacts get no extra
// allowance.
constexpr long long kPeakSeconds = 30, kContactSeconds = 60;

// The reference's ΔT (Espenak–Meeus, NASA 2006) in 1950–2050, seconds.
double ReferenceDeltaT(double y) {
  if (y < 1961.0) {
    const double t = y - 1950.0;
    return 29.07 + t * (0.407 + t * (-1.0 / 233.0 + t / 2547.0));
  }
  if (y < 1986.0) {
    const double t = y - 1975.0;
    return 45.45 + t * (1.067 + t * (-1.0 / 260.0 - t / 718.0));
  }
  const double t = y - 2000.0;
  if (y < 2005.0)
    return 63.86 + t * (0.3345 + t * (-0.060374 + t * (0.0017275 + t * (0.000651814 + t * 0.00002373599))));
  if (y < 2050.0) return 62.92 + t * (0.32217 + t * 0.005589);
  const double u = (y - 1820.0) / 100.0;
  return -20.0 + 32.0 * u * u - 0.5628 * (2150.0 - y);
}

// Grazing contacts: where the moon barely enters the umbra or the penumbra
// (magnitude below 0.006) the contact moves by about 40 s for an arcsecond of
// the moon's place; these are allowed 150 s. Found with eraMoon98's moon:
// 1988-03-04 U1 +121 s, U4 −113 s (umbral magnitude 0.002), 2042-09-29 U1
// +100 s, U4 −78 s (0.001), 2027-07-19 P1 +60 s, P4 −68 s (penumbral
// magnitude 0.006).
const std::map<std::string, std::vector<std::string>> kGrazing = {
    {"1988-03-04", {"U1", "U4"}}, {"2042-09-29", {"U1", "U4"}}, {"2027-07-19", {"P1", "P4"}}};
constexpr long long kGrazingSeconds = 150;

long long ContactLimit(const std::string& date, const std::string& contact) {
  const auto it = kGrazing.find(date);
  if (it == kGrazing.end()) return kContactSeconds;
  return std::count(it->second.begin(), it->second.end(), contact) ? kGrazingSeconds : kContactSeconds;
}

// Seconds from 1970-01-01 00:00 of a proleptic Gregorian date and time.
long long Seconds(int y, int m, int d, int hh, int mm, int ss) {
  y -= m <= 2;
  const long long era = (y >= 0 ? y : y - 399) / 400;
  const long long yoe = y - era * 400;
  const long long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const long long days = era * 146097 + yoe * 365 + yoe / 4 - yoe / 100 + doy - 719468;
  return days * 86400 + hh * 3600 + mm * 60 + ss;
}

// The reference's "YYYY-MM-DD hh:mm:ss" (JST), or the command's
// "YYYY-MM-DDThh:mm:ss+09:00", as seconds on the JST clock.
long long Jst(const std::string& text) {
  int y, m, d, hh, mm, ss;
  EXPECT_EQ(std::sscanf(text.c_str(), "%d-%d-%d%*c%d:%d:%d", &y, &m, &d, &hh, &mm, &ss), 6) << text;
  if (text.size() > 19) {
    EXPECT_EQ(text.substr(19), "+09:00") << text;
  }
  return Seconds(y, m, d, hh, mm, ss);
}

int YearOf(const std::string& text) { return std::stoi(text.substr(0, 4)); }

// A reference time ("-" for a phase the eclipse lacks) against the command's
// (null for one), within `limit` seconds in TT: `deltaT` is the command's
// ΔT less the reference's.
void ExpectMoment(const std::string& want, const nlohmann::json& got, double deltaT, double limit,
                  const std::string& where) {
  if (want == "-") {
    EXPECT_TRUE(got.is_null()) << where << " has " << got;
    return;
  }
  ASSERT_TRUE(got.is_string()) << where << " missing, want " << want;
  EXPECT_LE(std::fabs(static_cast<double>(Jst(got.get<std::string>()) - Jst(want)) + deltaT), limit)
      << where << ": " << got.get<std::string>() << " want " << want;
}

// The command's ΔT less the reference's for an eclipse.
double DeltaTDifference(const nlohmann::json& eclipse, const std::string& peak) {
  const double year = YearOf(peak) + (std::stoi(peak.substr(5, 2)) - 0.5) / 12.0;
  return eclipse["delta_t"].get<double>() - ReferenceDeltaT(year);
}

// Lunar eclipses whose kind differs from the reference's only by the shadow's
// enlargement rule (a magnitude within 0.005 of a kind's boundary): none in
// 1950–2050, the rule being the same.
const std::map<std::string, std::string> kBorderlineLunar = {};

class EclipsesCli : public ::testing::Test {
 protected:
  // The JSON document of every year, from as many runs.
  std::map<int, nlohmann::json> Years(const std::vector<std::string>& extra) const {
    std::vector<ts::Invocation> runs;
    for (int year = kFirstYear; year <= kLastYear; ++year) {
      std::vector<std::string> argv = {OMBREL_CLI, "--workdir", dir_.Path()};
      argv.insert(argv.end(), extra.begin(), extra.end());
      for (const std::string& a : {std::string("eclipses"), std::to_string(year), std::string("--lon"),
                                   std::string("139.7"), std::string("--lat"), std::string("35.6")})
        argv.push_back(a);
      runs.push_back({argv, ""});
    }
    std::map<int, nlohmann::json> docs;
    const std::vector<ts::RunResult> results = ts::RunAll(runs, ts::kRunLimit, 2);
    for (int year = kFirstYear; year <= kLastYear; ++year) {
      const ts::RunResult& r = results[year - kFirstYear];
      EXPECT_EQ(r.status, 0) << year << ts::Describe(r);
      EXPECT_EQ(r.out.find("0000000"), std::string::npos) << "numbers print short: " << r.out;
      docs[year] = nlohmann::json::parse(r.out);
      EXPECT_EQ(docs[year]["year"], year);
      EXPECT_EQ(docs[year]["place"], (nlohmann::json{{"longitude", 139.7}, {"latitude", 35.6}}));
    }
    return docs;
  }
  ts::ScratchDir dir_{"eclipses_cli"};
};

void CompareLunar(const std::map<int, nlohmann::json>& docs) {
  std::map<int, std::vector<Row>> want;
  for (const Row& row : ts::ReadReferenceTsv("eclipses-lunar-1950-2050.tsv")) want[YearOf(row[1])].push_back(row);
  static const char* const kContacts[] = {"P1", "U1", "U2", "U3", "U4", "P4"};
  for (const auto& [year, doc] : docs) {
    const nlohmann::json& got = doc["lunar"];
    const std::vector<Row>& rows = want[year];
    ASSERT_EQ(got.size(), rows.size()) << year << " lunar: " << got;
    for (std::size_t i = 0; i < rows.size(); ++i) {
      const Row& w = rows[i];
      const nlohmann::json& g = got[i];
      const std::string where = "lunar " + w[1];
      if (!kBorderlineLunar.count(w[1].substr(0, 10))) {
        EXPECT_EQ(g["kind"], w[0]) << where << " magnitude " << g["umbral_magnitude"];
      }
      const double dt = DeltaTDifference(g, w[1]);
      ExpectMoment(w[1], g["peak"], dt, kPeakSeconds, where + " peak");
      for (int c = 0; c < 6; ++c)
        ExpectMoment(w[2 + c], g["contacts"][kContacts[c]], dt, ContactLimit(w[1].substr(0, 10), kContacts[c]),
                     where + " " + kContacts[c]);
      const double umbral = g["umbral_magnitude"], penumbral = g["penumbral_magnitude"];
      EXPECT_EQ(umbral >= 1.0, w[0] == "total") << where;
      EXPECT_EQ(umbral > 0.0, w[0] != "penumbral") << where;
      EXPECT_GT(penumbral, 0.0) << where;
    }
  }
}

// The reference lists every solar eclipse at the place (at Tokyo in these
// years each has the sun up for some part); the command those with the sun
// above the horizon at first contact, greatest or fourth contact by the
// reference's altitudes (apparent, with refraction, as the command's).
void CompareSolar(const std::map<int, nlohmann::json>& docs) {
  std::map<int, std::vector<Row>> want;
  for (const Row& row : ts::ReadReferenceTsv("eclipses-solar-tokyo-1950-2050.tsv")) {
    if (std::stod(row[7]) > 0.0 || std::stod(row[8]) > 0.0 || std::stod(row[9]) > 0.0)
      want[YearOf(row[3])].push_back(row);
  }
  for (const auto& [year, doc] : docs) {
    const nlohmann::json& got = doc["solar"];
    const std::vector<Row>& rows = want[year];
    ASSERT_EQ(got.size(), rows.size()) << year << " solar: " << got;
    for (std::size_t i = 0; i < rows.size(); ++i) {
      const Row& w = rows[i];
      const nlohmann::json& g = got[i];
      const std::string where = "solar " + w[3];
      EXPECT_EQ(g["kind"], w[0]) << where;
      const double dt = DeltaTDifference(g, w[3]);
      ExpectMoment(w[1], g["begin"], dt, kContactSeconds, where + " begin");
      ExpectMoment(w[2], g["total_begin"], dt, kContactSeconds, where + " total_begin");
      ExpectMoment(w[3], g["peak"], dt, kPeakSeconds, where + " peak");
      ExpectMoment(w[4], g["total_end"], dt, kContactSeconds, where + " total_end");
      ExpectMoment(w[5], g["end"], dt, kContactSeconds, where + " end");
      EXPECT_NEAR(g["obscuration"].get<double>(), std::stod(w[6]), 0.01) << where;
      const char* const keys[] = {"begin", "peak", "end"};
      for (int k = 0; k < 3; ++k)
        EXPECT_NEAR(g["sun_altitude"][keys[k]].get<double>(), std::stod(w[7 + k]), 0.2) << where << " " << keys[k];
    }
  }
}

TEST_F(EclipsesCli, EveryEclipseOf1950To2050MatchesTheReference) {
  const std::map<int, nlohmann::json> docs = Years({"--json"});
  CompareLunar(docs);
  CompareSolar(docs);
}

// The design's model answers the same: the eclipses rest on the precise
// ephemeris in both.
TEST_F(EclipsesCli, BothModelsGiveTheSameDocument) {
  for (const char* year : {"2012", "2025"}) {
    const std::vector<std::string> args = {"--json", "eclipses", year, "--lon", "139.7", "--lat", "35.6"};
    std::vector<std::string> design = {"--workdir", dir_.Path()}, precise = {"--workdir", dir_.Path(), "--precise"};
    design.insert(design.end(), args.begin(), args.end());
    precise.insert(precise.end(), args.begin(), args.end());
    const ts::RunResult a = ts::RunCli(design), b = ts::RunCli(precise);
    ASSERT_EQ(a.status, 0) << ts::Describe(a);
    EXPECT_EQ(a.out, b.out);
  }
}

// The text lines: one per eclipse, the lunar ones first; phases the eclipse
// lacks are left out, a contact on another day says so, a solar eclipse that
// begins before sunrise says 日出帯食. The place comes from ombrel.dat.
TEST_F(EclipsesCli, TextLinesAndThePlaceOfTheSettings) {
  const ts::RunResult y2025 = ts::RunCli({"--workdir", dir_.Path(), "eclipses", "2025"});
  ASSERT_EQ(y2025.status, 0) << ts::Describe(y2025);
  EXPECT_EQ(y2025.out,
            "2025-03-14\t皆既月食\t半影食始め 12:57:11\t部分食始め 14:09:20\t皆既食始め 15:25:35\t食の最大 "
            "15:58:47\t皆既食終わり 16:31:57\t部分食終わり 17:48:12\t半影食終わり 19:00:26\t本影食分 "
            "1.183\t半影食分 2.265\t見えない\n"
            "2025-09-08\t皆既月食\t半影食始め 00:28:06\t部分食始め 01:26:48\t皆既食始め 02:30:22\t食の最大 "
            "03:11:49\t皆既食終わり 03:53:17\t部分食終わり 04:56:52\t半影食終わり 05:55:27\t本影食分 "
            "1.368\t半影食分 2.350\t見える\n");
  const ts::RunResult y1985 = ts::RunCli({"--workdir", dir_.Path(), "eclipses", "1985"});
  EXPECT_NE(y1985.out.find("\t部分日食\t食の始め 04:25:02 高度-1.7"), std::string::npos) << y1985.out;
  EXPECT_NE(y1985.out.find("\t日出帯食\n"), std::string::npos) << y1985.out;
  const ts::RunResult y1953 = ts::RunCli({"--workdir", dir_.Path(), "eclipses", "1953"});
  EXPECT_NE(y1953.out.find("半影食終わり 翌日00:04:"), std::string::npos) << y1953.out;

  // Years before 1000 keep their sign and four digits in every field; before
  // 1888 the zone's clock is the place's mean time (139.7 E: JST + 18 m 48 s),
  // whose stamp keeps the clock's time and rounds the offset to the minute.
  const ts::RunResult y600 = ts::RunCli({"--workdir", dir_.Path(), "eclipses", "-600"});
  EXPECT_EQ(y600.out.rfind("-0600-04-11\t部分月食\t半影食始め 05:46:24\t", 0), 0u) << y600.out;
  const ts::RunResult y600Json = ts::RunCli({"--workdir", dir_.Path(), "--json", "eclipses", "-600"});
  EXPECT_NE(y600Json.out.find("\"P1\": \"-0600-04-11T05:46:24+09:19\""), std::string::npos) << y600Json.out;

  dir_.Write("ombrel.dat", "135.5\n34.7\n");
  const ts::RunResult osaka = ts::RunCli({"--workdir", dir_.Path(), "--json", "eclipses", "2025"});
  ASSERT_EQ(osaka.status, 0) << ts::Describe(osaka);
  EXPECT_EQ(nlohmann::json::parse(osaka.out)["place"], (nlohmann::json{{"longitude", 135.5}, {"latitude", 34.7}}));
}

// A solar eclipse's kind at the place is what is above the horizon: an
// annular phase with the sun set (Dallas 2012) or not yet risen (Kagoshima
// 1937) leaves a partial eclipse, and the line says so; Tokyo 2012 saw its
// annular phase.
TEST_F(EclipsesCli, KindAtThePlaceIsWhatIsAboveTheHorizon) {
  const struct {
    const char* zone;
    const char* year;
    const char* lon;
    const char* lat;
    const char* date;
    const char* kind;
    const char* below;  // central_below_horizon, "" for null
  } cases[] = {
      {"America/Chicago", "2012", "-96.80", "32.78", "2012-05-20", "partial", "annular"},
      {"Asia/Tokyo", "1937", "130.55", "31.60", "1937-12-03", "partial", "annular"},
      {"Asia/Tokyo", "2012", "139.7", "35.6", "2012-05-21", "annular", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.zone) + " " + c.date);
    const std::vector<std::string> args = {"--workdir", dir_.Path(), "--zone", c.zone, "eclipses", c.year,
                                           "--lon", c.lon, "--lat", c.lat};
    std::vector<std::string> asJson = args;
    asJson.insert(asJson.begin() + 2, "--json");
    const ts::RunResult text = ts::RunCli(args), doc = ts::RunCli(asJson);
    ASSERT_EQ(doc.status, 0) << ts::Describe(doc);
    const nlohmann::json solar = nlohmann::json::parse(doc.out)["solar"];
    const nlohmann::json* found = nullptr;
    for (const nlohmann::json& e : solar)
      if (e["peak"].get<std::string>().rfind(c.date, 0) == 0) found = &e;
    ASSERT_TRUE(found) << doc.out;
    EXPECT_EQ((*found)["kind"], c.kind);
    EXPECT_EQ((*found)["central_below_horizon"], *c.below ? nlohmann::json(c.below) : nlohmann::json(nullptr));
    const bool said = text.out.find(std::string(c.date) + "\t部分日食\t") != std::string::npos &&
                      text.out.find("\t金環食は地平線下") != std::string::npos;
    EXPECT_EQ(said, *c.below != '\0') << text.out;
  }
}

// Solar eclipses with the sun below the horizon from first to fourth
// contact are found by the core and left out of the listing.
TEST_F(EclipsesCli, LeavesOutSolarEclipsesWithTheSunDown) {
  const Place place{40.0, -100.0};
  int hidden = 0;
  for (int year = 2010; year <= 2030; ++year) {
    const JulianDay from = DateToJulianDay(year, 1, 1, 0.0, kUtClock) - 9.0 / 24.0;
    const JulianDay to = DateToJulianDay(year + 1, 1, 1, 0.0, kUtClock) - 9.0 / 24.0;
    const std::vector<precise::SolarEclipse> all = precise::SolarEclipses(from, to, place);
    const ts::RunResult r = ts::RunCli(
        {"--workdir", dir_.Path(), "--json", "eclipses", std::to_string(year), "--lon", "-100", "--lat", "40"});
    ASSERT_EQ(r.status, 0) << ts::Describe(r);
    const nlohmann::json listed = nlohmann::json::parse(r.out)["solar"];
    std::size_t up = 0;
    for (const precise::SolarEclipse& e : all) {
      up += e.sunUp;
      hidden += !e.sunUp;
      if (e.sunUp) {
        EXPECT_TRUE(e.begin.sunAltitude > 0.0 || e.end.sunAltitude > 0.0 || e.greatest.sunAltitude > 0.0);
      }
    }
    EXPECT_EQ(listed.size(), up) << year;
  }
  EXPECT_GT(hidden, 0);
}

// Usage errors exit with 2 before any work: the year's form and span, the
// place's form and range, the number of arguments.
TEST_F(EclipsesCli, RefusesBadArguments) {
  const std::vector<std::vector<std::string>> cases = {
      {"eclipses"},        {"eclipses", "2025", "2026"}, {"eclipses", "20x5"},
      {"eclipses", "3001"}, {"eclipses", "-2000"},        {"eclipses", "2025", "--lon", "181"},
      {"eclipses", "2025", "--lat", "1e1"}, {"eclipses", "2025", "--lon"}, {"eclipses", "2025", "--at", "1"}};
  for (const auto& args : cases) {
    std::vector<std::string> argv = {"--workdir", dir_.Path()};
    argv.insert(argv.end(), args.begin(), args.end());
    const ts::RunResult r = ts::RunCli(argv);
    EXPECT_EQ(r.status, 2) << args.back() << " " << ts::Describe(r);
    EXPECT_TRUE(r.out.empty()) << args.back();
    EXPECT_NE(r.err.find("ombrel-cli: "), std::string::npos) << args.back();
  }
  EXPECT_EQ(ts::RunCli({"--workdir", dir_.Path(), "eclipses", "-1999"}).status, 0);
  EXPECT_EQ(ts::RunCli({"--workdir", dir_.Path(), "eclipses", "3000"}).status, 0);
}

}  // namespace
