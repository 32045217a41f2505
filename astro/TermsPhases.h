// Solar terms and lunar phases in the design's model: moments fixed by the
// sun's longitude and the moon's elongation, searched for within one day of
// the list clock (Japan Standard Time by default), and the year lists of
// them that the day panel, the observances and the year list show.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "astro/Moment.h"

// The two kinds of a year's events.
enum class EventKind { MoonPhases, SolarTerms };

// An event found by a search: its moment and the angle reached (a multiple
// of 15 degrees for a term, of 90 for a phase).
struct AngleEvent {
  JulianDay moment = 0.0;
  double angle = 0.0;
};

// One event of a year's list: its date and clock hour on the list clock, its
// moment, its angle and its name (UTF-8, zero-terminated).
struct CalendarEvent {
  double year;
  double month;
  double day;
  double hour;
  double julianDay;
  double angle;
  char name[16];
};

// The span the year list and the data table ask for: 1 January and the 430
// days after it, so a lunisolar year that ends in the next February is whole.
inline constexpr int kYearEventDays = 430;
// The span of the day panel's two lists: 1 January and the 366 days after
// it, so the lists run into the next January. The year's own events alone
// (LastDayOfYear) are the rule of the commands that list a year.
inline constexpr int kDayPanelListDays = 366;
// The most days after 1 January a year's list may reach.
inline constexpr int kMaxListDays = 800;

// Index k names the term at the sun's longitude 15k (春分 first).
extern const char* const SolarTermNames[24];
// Index k names the phase at the elongation 90k (新月 first).
extern const char* const MoonPhaseNames[4];

// The name of an event of a kind at an angle (a multiple of its step, any
// value reduced into 0..360); the one place events are named. None for an
// angle that is not a number.
std::optional<const char*> EventName(EventKind kind, double angle);

// The day's solar term, if one begins on it, and the sun's longitude: at the
// term's moment on a term day, else at noon.
struct SolarTermDay {
  std::optional<int> term;  // index into SolarTermNames
  double longitude = 0.0;
};

// The whole degree of the sun's apparent longitude crossed during a day.
struct SunDegree {
  double degree = 0.0;  // 0..359
  JulianDay moment = 0.0;
};

// Two moments found near a date, the earlier first.
struct MomentPair {
  std::optional<JulianDay> first;
  std::optional<JulianDay> second;
};

// The sun's apparent longitude (aberration by distance and nutation in
// longitude) and the nutation alone.
double NutationInLongitude(double julianDay);
double SunApparentLongitude(double julianDay, const Place& observer);

namespace design {

// The term that begins on the day (the day the term list gives), and the
// sun's longitude: apparent, at the term's moment on a term day, else at
// noon minus 0.0057.
SolarTermDay SolarTermOfDay(double year, double month, double day, const DateClock& lists);
// Whole days since the last 立春: 0 on its day, -1 on the day before.
std::optional<int> DaysSinceSpringBegins(double year, double month, double day, const DateClock& lists);
// The whole degree crossed during the day and the moment of the crossing.
std::optional<SunDegree> SunDegreeOfDay(double year, double month, double day, const DateClock& lists);
// Noon of the two cycle-opening days (甲子) nearest the two solstices around jd.
MomentPair SolsticeCycleStartDays(double julianDay, const DateClock& lists);
// The new moons found in the 40 days up to jd's day.
MomentPair RecentNewMoons(double julianDay, const DateClock& lists);
// The events of 1 January of `year` and the `lastDay` days after it (cut to
// kMaxListDays), in time order, each once.
std::vector<AngleEvent> ListMoonPhases(double year, int lastDay, const DateClock& lists);
std::vector<AngleEvent> ListSolarTerms(double year, int lastDay, const DateClock& lists);

}  // namespace design

// Noon of the cycle-opening day (甲子) nearer a solstice at `moment` whose
// day has its noon at `noonOfDay`: the last one on or before that day or the
// next one, the later when equally near.
double CycleStartNearSolstice(double moment, double noonOfDay);

// The list views' item text "%5s %2.0f/%2.0f hh:mm:ss": name, month, day and
// clock time on `lists` of the moment, to the nearest second (a rounded 60
// carried, into the next day at midnight).
std::string EventListItem(const std::string& name, double julianDay, const DateClock& lists);
