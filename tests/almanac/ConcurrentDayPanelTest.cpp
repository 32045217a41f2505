// Two day panels for two different moments, computed at the same time on two
// threads, each get the answer they get alone: the moment is a value handed
// down, and nothing one computation keeps is seen by the other.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "almanac/DayPanel.h"
#include "sky/Readout.h"
#include "tests/support/TestMoment.h"

namespace {

// Everything the main form shows for a moment: the fields, the four lists
// and the sky panel's readout, with the eclipses (each thread keeps its last
// week's eclipse search).
std::vector<std::string> FullPanel(const Moment& at) {
  const Ephemeris& ephemeris = EphemerisOf(at.model);
  DayPanel p;
  WriteFormDate(p, at.year, at.month, at.day, at.hour);
  FillDayPanel(p, ReadFormMoment(p, p.m_strHour, at), ephemeris, OMBREL_DB_PATH);
  FillSelectedDays(p);
  FillSeasonalDays(p, ephemeris, std::string(OMBREL_FIXTURES) + "/signs/kinenbi-cp932.dat", {false, true});
  FillPhaseList(p, ephemeris);
  FillTermList(p, ephemeris);
  std::vector<std::string> shown;
  for (const auto& [label, text] : DayPanelFields(p)) shown.push_back(label + "\t" + text);
  for (const auto* list : {&p.m_listSelectedDays, &p.m_listSeasonalDays, &p.m_listPhases, &p.m_listTerms}) {
    shown.push_back("--");
    shown.insert(shown.end(), list->begin(), list->end());
  }
  shown.push_back("--");
  for (const std::string& line : ReadoutLines(at, ephemeris, 0.0)) shown.push_back(line);
  if (const std::optional<ReadoutText> eclipse = EclipseReadout(at)) shown.push_back(eclipse->text);
  return shown;
}

void ExpectSerialAnswers(const Moment (&moments)[2]) {
  const std::vector<std::string> serial[2] = {FullPanel(moments[0]), FullPanel(moments[1])};
  ASSERT_NE(serial[0], serial[1]);

  constexpr int kRounds = 4;
  std::vector<std::string> got[2][kRounds];
  auto work = [&](int which) {
    for (int round = 0; round < kRounds; ++round) got[which][round] = FullPanel(moments[which]);
  };
  std::thread first(work, 0), second(work, 1);
  first.join();
  second.join();
  for (int which = 0; which < 2; ++which)
    for (int round = 0; round < kRounds; ++round) EXPECT_EQ(got[which][round], serial[which]) << which << " " << round;
}

TEST(ConcurrentDayPanels, TwoMomentsOnTwoThreadsGetTheSerialAnswers) {
  Moment tokyo = testsupport::TokyoMoment(2005, 1, 31, 12.0);
  Moment newYork = testsupport::TokyoMoment(1990, 7, 1, 6.5, Place{40.71, -74.0});
  newYork.zone = testsupport::Zone("America/New_York");
  newYork.calendar = CalendarRule::Gregorian;
  newYork.model = AstroModel::Precise;
  ExpectSerialAnswers({tokyo, newYork});
}

// Two eclipses in progress, each thread with its own week's search.
TEST(ConcurrentDayPanels, TwoEclipseDaysOnTwoThreadsGetTheSerialAnswers) {
  Moment lunar = testsupport::TokyoMoment(2025, 9, 8, 3.0);
  Moment solar = testsupport::TokyoMoment(2035, 9, 2, 10.0);
  solar.model = AstroModel::Precise;
  ExpectSerialAnswers({lunar, solar});
}

}  // namespace
