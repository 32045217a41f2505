// The sky panel's Qt-free parts: star tables, projection, precession, moon
// phase and the readout texts, computed through the real astro functions.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "astro/astro.h"
#include "sky/Chart.h"
#include "sky/MoonPicture.h"
#include "sky/Readout.h"
#include "sky/Stars.h"
#include "tests/support/TestMoment.h"
#include "tests/support/TestSupport.h"

namespace {

TEST(ProjectToChart, EdgeValuesFacingSouth) {
  struct Case {
    double azimuth, altitude, chartAzimuth;
    bool visible;
    double x, y;
  } cases[] = {
      {0, 10, 0, true, 250.0, 204.987},    // south at 10 degrees
      {90, 0, 0, true, 475.114, 230.0},    // west on the horizon, on the rim
      {-90, 0, 0, true, 24.886, 230.0},    // east on the horizon
      {0, 90, 0, true, 250.0, 4.886},      // zenith
      {0, -10, 0, true, 250.0, 255.013},   // below the horizon in front
      {0, 0, 0, true, 250.0, 230.0},       // the centre itself
      {90, 10, 90, true, 250.0, 204.987},  // facing west
      {180, 10, 0, false, 0, 0},           // behind the observer
      {-120, 30, 0, false, 0, 0},
      {0, NAN, 0, false, 0, 0},
      {NAN, 10, 0, false, 0, 0},
      {90, 10, 450, true, 250.0, 204.987},  // an azimuth setting past 360
      {0, 10, -720, true, 250.0, 204.987},
      {0, 10, 5220, false, 0, 0},           // 5220 faces north: south is behind
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.azimuth << "/" << c.altitude << "/" << c.chartAzimuth);
    const ChartPoint p = ProjectToChart(c.azimuth, c.altitude, c.chartAzimuth);
    EXPECT_EQ(p.visible, c.visible);
    if (!c.visible) continue;
    EXPECT_NEAR(p.x, c.x, 0.002);
    EXPECT_NEAR(p.y, c.y, 0.002);
  }
}

TEST(ProjectToChart, GridGuardsKeepTheCentreFinite) {
  const ChartPoint p = ProjectToChart(0, 0, 0, ChartGeometry(), ProjectionGuards::Grid);
  EXPECT_TRUE(p.visible);
  EXPECT_NEAR(p.x, 250.0, 1e-3);
  EXPECT_NEAR(p.y, 230.0, 1e-3);
  // The horizon and altitude circles of the grid stay within the chart disc.
  const ChartPolylines& grid = HorizontalGridLines();
  EXPECT_EQ(grid.RunCount(), 38);
  for (const PixelPoint& q : grid.points) {
    EXPECT_GE(q.x, 24);
    EXPECT_LE(q.x, 476);
    EXPECT_GE(q.y, 4);
    EXPECT_LE(q.y, 456);
  }
}

// The equatorial grid through its rotated-vector shortcut must land where the
// plain EquatorialToHorizontal + ProjectToChart path puts the same points.
TEST(EquatorialGrid, MatchesThePlainTransform) {
  const double jd = 2451545.0, lat = 35.6, lon = 139.7, az = 30.0;
  ChartPolylines lines;
  EquatorialGridLines(jd, lat, lon, az, lines);
  ASSERT_GT(lines.RunCount(), 10);
  std::set<std::pair<int, int>> drawn;
  for (const PixelPoint& p : lines.points) drawn.insert({p.x, p.y});
  int checked = 0;
  for (int dec = -80; dec <= 80; dec += 10) {
    for (int ra = 0; ra < 360; ra += 10) {
      double azimuth, altitude;
      EquatorialToHorizontal(jd, ra, dec, lat, lon, azimuth, altitude);
      ChartPoint p = ProjectToChart(azimuth, altitude, az);
      if (!p.visible) continue;
      const double a = azimuth - az;
      if (std::fabs(std::remainder(a, 360.0)) > 89.0) continue;  // rim: either side may win
      p = ProjectToChart(std::remainder(a, 360.0), altitude, 0, ChartGeometry(),
                         ProjectionGuards::Grid);
      bool found = false;
      for (int dx = -1; dx <= 1 && !found; ++dx)
        for (int dy = -1; dy <= 1 && !found; ++dy)
          found = drawn.count({TruncToPixel(p.x) + dx, TruncToPixel(p.y) + dy}) > 0;
      EXPECT_TRUE(found) << "ra " << ra << " dec " << dec;
      ++checked;
    }
  }
  EXPECT_GT(checked, 100);
}

TEST(Stars, FigureCodesDecode) {
  struct Case {
    double code;
    std::vector<int> positions;
  } cases[] = {{0, {}},      {1, {1}},          {13, {13}},        {37, {3, 7}},
               {101, {10, 1}}, {1416, {14, 16}}, {1500, {15}},     {30509, {3, 5, 9}},
               {-4, {}},     {NAN, {}},         {1e300, {}}};
  for (const Case& c : cases) {
    int got[3];
    const int n = FigurePositions(c.code, got);
    EXPECT_EQ(std::vector<int>(got, got + n), c.positions) << c.code;
  }
}

// Every figure is one unbroken run of positions 1..N over its own records,
// with the star counts the chart was designed for.
TEST(Stars, FiguresAreWellFormed) {
  const std::pair<const char*, int> counts[] = {
      {"And", 6},  {"Cas", 7},  {"Peg", 8},  {"Hyi", 3},  {"Phe", 3},  {"Cet", 8},  {"Eri", 8},
      {"Tri", 2},  {"Ari", 2},  {"UMi", 3},  {"Per", 9},  {"Ret", 1},  {"Tau", 8},  {"Ori", 10},
      {"Aur", 7},  {"Dor", 2},  {"Lep", 4},  {"Col", 2},  {"Gem", 8},  {"CMa", 8},  {"Car", 11},
      {"Pup", 8},  {"CMi", 2},  {"Vel", 6},  {"Hya", 9},  {"UMa", 15}, {"Lyn", 1},  {"Leo", 10},
      {"Cen", 13}, {"Vir", 8},  {"Crv", 4},  {"Cru", 4},  {"Mus", 2},  {"CVn", 1},  {"Boo", 7},
      {"Lup", 7},  {"Cir", 1},  {"Lib", 3},  {"TrA", 3},  {"CrB", 6},  {"Her", 8},  {"Sco", 16},
      {"Oph", 9},  {"Ser", 16}, {"Dra", 12}, {"Ara", 4},  {"Sgr", 11}, {"Lyr", 6},  {"Aql", 7},
      {"Pav", 3},  {"Cyg", 9},  {"Cap", 6},  {"Cep", 6},  {"Ind", 1},  {"Aqr", 5},  {"Gru", 4},
      {"Tuc", 2},  {"PsA", 1},  {"Cnc", 1},  {"Psc", 3}};
  int record = 1;
  for (const auto& [abbrev, count] : counts) {
    SCOPED_TRACE(abbrev);
    int c = 0;
    while (c < kConstellationCount && std::string(ConstellationNames[c]).rfind(abbrev, 0) != 0) ++c;
    ASSERT_LT(c, kConstellationCount);
    EXPECT_EQ(FigureStarIndex[c], record);
    std::set<int> used;
    for (int i = record - 1; i < record - 1 + count; ++i) {
      EXPECT_EQ(FigureStars[i].constellation, c + 1);
      int pos[3];
      const int n = FigurePositions(FigureStars[i].figureCode, pos);
      used.insert(pos, pos + n);
      EXPECT_GE(FigureStars[i].colourCode, 1);
      EXPECT_LE(FigureStars[i].colourCode, 7);
    }
    if (record - 1 + count < kFigureStarCount) {
      EXPECT_NE(FigureStars[record - 1 + count].constellation, c + 1);
    }
    EXPECT_LE(static_cast<int>(used.size()), kMaxFigurePositions);
    if (!used.empty()) {
      EXPECT_EQ(*used.begin(), 1);
      EXPECT_EQ(*used.rbegin(), static_cast<int>(used.size()));
    }
    record += count;
  }
  EXPECT_EQ(record, kFigureStarCount + 1);
  int withFigure = 0;
  for (int c = 0; c < kConstellationCount; ++c) withFigure += FigureStarIndex[c] != 0;
  EXPECT_EQ(withFigure, 60);
}

TEST(Stars, TellingRowsStandAsCatalogued) {
  const double andromeda[6][5] = {{140, 2908, 1, 20, 1},   {656, 3087, 6, 32, 2},
                                  {1162, 3562, 3, 20, 37}, {946, 3850, 7, 39, 46},
                                  {830, 4108, 1, 44, 5},   {2065, 4233, 6, 23, 8}};
  const double orion[10][5] = {{5919, 740, 3, 8, 17},   {5679, -195, 5, 21, 2},
                               {5796, -967, 1, 20, 3},  {5242, -820, 1, 1, 4},
                               {5534, -30, 5, 22, 5},   {5419, 635, 1, 16, 6},
                               {5591, -592, 5, 28, 0},  {5603, -120, 1, 17, 0},
                               {4831, 695, 7, 32, 0},   {5408, -238, 1, 34, 0}};
  auto expectRow = [](int record, double constellation, const double* v) {
    const FigureStarRecord& r = FigureStars[record - 1];
    EXPECT_EQ(r.constellation, constellation) << record;
    EXPECT_EQ((std::vector<double>{r.raThousandths, r.decHundredths, r.colourCode,
                                   r.magnitudeTenths, r.figureCode}),
              (std::vector<double>(v, v + 5)))
        << record;
  };
  for (int i = 0; i < 6; ++i) expectRow(1 + i, 1, andromeda[i]);
  for (int i = 0; i < 10; ++i) expectRow(69 + i, 60, orion[i]);
  bool cygnusCentre = false;
  for (int i = 323; i <= 331; ++i) {
    EXPECT_EQ(FigureStars[i - 1].constellation, 31);
    cygnusCentre |= FigureStars[i - 1].raThousandths == 20370 && FigureStars[i - 1].figureCode == 30509;
  }
  EXPECT_TRUE(cygnusCentre);
  EXPECT_STREQ(ConstellationNames[0], "And.ｱﾝﾄﾞﾛﾒﾀﾞ");
  EXPECT_STREQ(ConstellationNames[87], "Vul.ｺｷﾞﾂﾈ");
}

TEST(Precession, MansionStarsComeToTheirPlace) {
  const std::optional<MansionStarPlace> star = MansionStarPosition(2451545.0, 0);
  ASSERT_TRUE(star);
  EXPECT_NEAR(star->rightAscension, 3.3090, 5e-4);
  EXPECT_NEAR(star->declination, 15.1838, 5e-4);
  EXPECT_STREQ(star->mansion, "壁");
  EXPECT_EQ(star->catalogueNumber, 39);
  // Rows outside the table have no place.
  EXPECT_FALSE(MansionStarPosition(2451545.0, 28));
  EXPECT_FALSE(MansionStarPosition(2451545.0, -1));

  // At the epoch itself nothing moves; a place just below 0 comes back below 360.
  double ra, dec;
  PrecessStar(2415021.0, 1900.0, 123.456, -45.5, 0.5, -0.5, ra, dec);
  EXPECT_NEAR(ra, 123.456, 1e-9);
  EXPECT_NEAR(dec, -45.5, 1e-9);
  PrecessStar(2415021.0, 1900.0, -0.0001, 10.0, 0.0, 0.0, ra, dec);
  EXPECT_NEAR(ra, 359.9999, 1e-9);
}

// A moment at a place, with the settings' default zone and calendar rule.
Moment At(double year, double month, double day, double hour, double longitude, double latitude) {
  return testsupport::TokyoMoment(year, month, day, hour, Place{latitude, longitude});
}

double MoonPhaseValue(JulianDay jd, const Place& observer) {
  return MoonPhaseOf(jd, observer, EphemerisOf(AstroModel::Design)).phase;
}

TEST(MoonPhase, NewAndFullMoon) {
  const Place tokyo{35.68, 139.77};
  const double atNew = MoonPhaseValue(2451550.26, tokyo);  // 2000-01-06 18:14 UT
  EXPECT_TRUE(atNew < 2.0 || atNew > 358.0) << atNew;
  EXPECT_NEAR(MoonPhaseValue(2451564.69, tokyo), 180.0, 2.0);  // 2000-01-21 04:40 UT
  const double nan = MoonPhaseValue(NAN, tokyo);
  MoonShape shapes[kMaxMoonShapes];
  EXPECT_EQ(MoonPictureShapes(nan, shapes), 1);  // only the outline
}

TEST(Readout, TokyoOnNewYearsDay2000) {
  const std::vector<std::string> expected = {
      "日の出 06:50", "日の入 16:37", "月の出 01:37", "月の入 13:06", "時刻 21:00:00",
      "東経 139.8",   "北緯 35.7",    "方位角   0",   "東京湾潮汐",   "満01:07",
      "満13:21",      "干07:07",      "干20:34"};
  EXPECT_EQ(ReadoutLines(At(2000, 1, 1, 21.0, 139.77, 35.68), EphemerisOf(AstroModel::Design), 0.0), expected);
}

TEST(Readout, DayWithoutMoonriseAndRoundedSeconds) {
  const std::vector<std::string> lines = ReadoutLines(At(2000, 1, 28, 12.0, 139.77, 35.68), EphemerisOf(AstroModel::Design), 0.0);
  ASSERT_EQ(lines.size(), 13u);
  EXPECT_EQ(lines[2], "月の出 --");
  EXPECT_EQ(lines[3], "月の入 11:06");
  EXPECT_NE(lines[0].find(':'), std::string::npos);

  const Moment at = At(2000, 1, 1, 21.99999, 135.0, 35.0);
  const std::vector<ReadoutText> texts = ComputeReadout(at, EphemerisOf(at.model), 0.0);
  EXPECT_EQ(texts[4].text, "時刻 22:00:00");  // rounded and carried
  EXPECT_EQ(texts[5].text, "東経 135.0");
  EXPECT_EQ(texts[6].text, "北緯 35.0");
  EXPECT_EQ(texts[7].text, "方位角   0");
  EXPECT_EQ(StatusLineText(at, 7).rfind("表示日時  2000/01/01/ 21:59:59, 135.00, 35.00", 0),
            0u);
}

// The window's note for a typed hour the clock skipped or shows twice names
// the moment shown; an hour the clock shows once has none.
TEST(Readout, NoteForASkippedOrRepeatedHour) {
  const struct {
    double month, day, hour;
    const char* note;  // "" for none
  } cases[] = {
      {3, 8, 2.5, "※時計の切替で無い時刻: 03:30:00"},
      {11, 1, 1.5, "※2回ある時刻の早い方: 01:30:00"},
      {11, 1, 3.5, ""},
  };
  for (const auto& c : cases) {
    Moment at = At(2026, c.month, c.day, c.hour, -74.0, 40.7);
    at.zone = testsupport::Zone("America/New_York");
    const std::optional<ReadoutText> note = ClockNoteReadout(at);
    EXPECT_EQ(note ? note->text : "", c.note);
  }
}

// A day without sunrise or sunset (polar night, midnight sun) reads "--",
// never a made-up 23:00.
TEST(Readout, DaysWithoutSunriseOrSunset) {
  const struct {
    double month, latitude;
  } cases[] = {{1, 80.0}, {6, 80.0}, {6, -80.0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.month << " " << c.latitude);
    const std::vector<std::string> lines = ReadoutLines(At(2000, c.month, 1, 12.0, 139.7, c.latitude), EphemerisOf(AstroModel::Design), 0.0);
    ASSERT_EQ(lines.size(), 13u);
    EXPECT_EQ(lines[0], "日の出 --");
    EXPECT_EQ(lines[1], "日の入 --");
  }
}

TEST(Readout, GarbageInputsStillGiveTexts) {
  for (double v : {double(NAN), 1e300, -1e300}) {
    const std::vector<std::string> lines = ReadoutLines(At(v, 1, 1, v, v, v), EphemerisOf(AstroModel::Design), v);
    EXPECT_EQ(lines.size(), 13u);
  }
}

}  // namespace

namespace {

// ombrel-cli day ends with the panel's readout for the settings' place.
TEST(Readout, CliDayPrintsTheReadout) {
  const testsupport::ScratchDir dir("ombrel-sky");
  dir.CopyDatabase();
  ASSERT_EQ(testsupport::ReadFile(dir.Write("ombrel.dat", "139.77\n35.68\n0\n")), "139.77\n35.68\n0\n");

  const testsupport::RunResult run = testsupport::RunCli({"--workdir", dir.Path(), "day", "2000-01-01", "21"});
  std::vector<std::string> lines;
  std::istringstream out(run.out);
  for (std::string line; std::getline(out, line);) lines.push_back(line);
  EXPECT_EQ(run.status, 0) << testsupport::Describe(run);
  ASSERT_GE(lines.size(), 13u);
  const std::vector<std::string> tail(lines.end() - 13, lines.end());
  EXPECT_EQ(tail, ReadoutLines(At(2000, 1, 1, 21.0, 139.77, 35.68), EphemerisOf(AstroModel::Design), 0.0));
  EXPECT_EQ(tail[0], "日の出 06:50");
  EXPECT_EQ(tail[12], "干20:34");
}

}  // namespace

namespace {

bool Named(const SkyChartLayout& layout, const std::string& prefix) {
  for (const ChartLabel& n : layout.names)
    if (std::string(n.text).rfind(prefix, 0) == 0) return true;
  return false;
}

// Figures end at the first position that lies behind the observer; a figure
// without a position-1 star gets no name, and the name sits on that star.
TEST(SkyChart, FiguresStopAtTheRimAndNamesFollowPositionOne) {
  const double jd = 2451545.0, lat = 35.6, lon = 139.7;
  const int orion = 59;
  const int first = FigureStarIndex[orion] - 1;
  bool sawCut = false, sawCancer = false;
  for (int az = -180; az < 180; az += 5) {
    SCOPED_TRACE(az);
    SkyChartLayout layout;
    LayoutSkyChart(jd, lat, lon, az, true, true, layout);
    EXPECT_FALSE(Named(layout, "Lyn.") || Named(layout, "CVn.") || Named(layout, "Cir.") ||
                 Named(layout, "Ind.") || Named(layout, "PsA.") || Named(layout, "Ret."));
    // Orion's line, positions 1..7, against its stars' own visibility.
    int expected = 0;
    for (int pos = 1; pos <= 7; ++pos) {
      int record = -1;
      for (int i = first; i < first + 10 && record < 0; ++i) {
        int p[3];
        const int n = FigurePositions(FigureStars[i].figureCode, p);
        for (int k = 0; k < n; ++k)
          if (p[k] == pos) record = i;
      }
      double a, h;
      EquatorialToHorizontal(jd, FigureStars[record].raThousandths * 0.015,
                             FigureStars[record].decHundredths / 100.0, lat, lon, a, h);
      if (!ProjectToChart(a, h, az).visible) break;
      ++expected;
    }
    const FigureSpan& span = layout.figures[std::count_if(
        FigureStarIndex, FigureStarIndex + orion, [](int v) { return v != 0; })];
    const int drawn = span.run < 0 ? (span.name >= 0 ? 1 : 0)
                                   : (span.run + 1 < layout.figureLines.RunCount()
                                          ? layout.figureLines.starts[span.run + 1]
                                          : static_cast<int>(layout.figureLines.points.size())) -
                                         layout.figureLines.starts[span.run];
    EXPECT_EQ(drawn, expected);
    EXPECT_EQ(span.name >= 0, expected > 0);
    sawCut |= expected > 0 && expected < 7;

    // Cancer's one star stands at position 1: its name but never a line.
    const int cancer = 21;
    const FigureSpan& cnc = layout.figures[std::count_if(
        FigureStarIndex, FigureStarIndex + cancer, [](int v) { return v != 0; })];
    const FigureStarRecord& star = FigureStars[FigureStarIndex[cancer] - 1];
    double a, h;
    EquatorialToHorizontal(jd, star.raThousandths * 0.015, star.decHundredths / 100.0, lat, lon, a,
                           h);
    const ChartPoint at = ProjectToChart(a, h, az);
    EXPECT_EQ(cnc.run, -1);
    ASSERT_EQ(cnc.name >= 0, at.visible);
    if (at.visible) {
      EXPECT_STREQ(layout.names[cnc.name].text, "Cnc.ｶﾆ");
      EXPECT_EQ(layout.names[cnc.name].topLeft.x, TruncToPixel(at.x));
      EXPECT_EQ(layout.names[cnc.name].topLeft.y, TruncToPixel(at.y));
      sawCancer = true;
    }
  }
  EXPECT_TRUE(sawCut);
  EXPECT_TRUE(sawCancer);

  // Mansion names stand about 3 pixels right of and 12 above their stars,
  // in table order for the stars in front.
  SkyChartLayout withMansions;
  LayoutSkyChart(jd, lat, lon, 0, false, true, withMansions);
  std::vector<std::string> expectedNames, names;
  for (int i = 0; i < kMansionCount; ++i) {
    const MansionStarPlace star = *MansionStarPosition(jd, i);
    double a, h;
    EquatorialToHorizontal(jd, star.rightAscension, star.declination, lat, lon, a, h);
    const ChartPoint p = ProjectToChart(a, h, 0);
    if (!p.visible) continue;
    expectedNames.push_back(MansionStars[i].mansion);
    ASSERT_LE(expectedNames.size(), withMansions.mansions.size());
    const ChartLabel& label = withMansions.mansions[expectedNames.size() - 1];
    EXPECT_EQ(label.topLeft.x, TruncToPixel(p.x - 2) + 5) << i;
    EXPECT_EQ(label.topLeft.y, TruncToPixel(p.y + 2) - 10) << i;
  }
  for (const ChartLabel& m : withMansions.mansions) names.push_back(m.text);
  EXPECT_EQ(names, expectedNames);
  EXPECT_GT(names.size(), 5u);

  // With both switches off only dots and lines remain.
  SkyChartLayout quiet;
  LayoutSkyChart(jd, lat, lon, 0, false, false, quiet);
  EXPECT_TRUE(quiet.names.empty());
  EXPECT_TRUE(quiet.mansions.empty());
  EXPECT_FALSE(quiet.dots.empty());
}

}  // namespace

namespace {

// At midnight the sun is under the northern horizon: behind a chart facing
// south, below the horizon line of one facing north.
TEST(SkyChart, BodiesBehindAreLeftOutAndBelowTheHorizonDrawnLow) {
  const Place tokyo{35.6, 139.7};
  const JulianDay midnight = MomentJulianDay(At(2000, 1, 1, 0.0, tokyo.longitude, tokyo.latitude));
  const Ephemeris& design = EphemerisOf(AstroModel::Design);
  BodyMark marks[kChartBodyCount];
  LayoutBodies(midnight, tokyo, 0.0, marks, design);
  EXPECT_FALSE(marks[3].visible);
  LayoutBodies(midnight, tokyo, 180.0, marks, design);
  ASSERT_TRUE(marks[3].visible);
  EXPECT_GT(marks[3].y, 230.0);
  EXPECT_NEAR(marks[3].halfSize, 20 * SunPosition(midnight, tokyo).semiDiameter, 1e-12);
  EXPECT_NEAR(marks[1].halfSize, 4.0, 1e-12);  // a planet's disc
  EXPECT_STREQ(BodyLabels[0], "月");
}

}  // namespace
