// Solar terms and lunar phases: moments fixed by the sun's longitude and the
// moon's elongation, searched for within one day of Japan Standard Time, and
// the year lists of them that the day panel, the observances and the year
// list show. Every operation here reads the clock of 135 degrees east.
#pragma once

#include <functional>
#include <string>

#include "astro/Moment.h"

// One event of a year's list: its date and clock hour at 135 degrees east,
// its moment, its angle (0/90/180/270 for phases, a multiple of 15 for terms)
// and its name (UTF-8, zero-terminated). 64 bytes, as the list request hands
// them over.
struct CalendarEvent {
  double year;
  double month;
  double day;
  double hour;
  double julianDay;
  double angle;
  char name[16];
};

// The event arrays hold at most this many entries; a longer span stops there.
constexpr int kEventCapacity = 60;
constexpr int kEventTableSize = 120;

// Index k names the term at the sun's longitude 15k (春分 first).
extern const char* const SolarTermNames[24];
// Index k names the phase at the elongation 90k (新月 first).
extern const char* const MoonPhaseNames[4];

// Shared by the two list operations: whichever list ran last fills them.
extern double EventAngles[kEventCapacity];
extern double EventJulianDays[kEventCapacity];
extern int PhaseCount;
extern int TermCount;

// Filled by the table operations; entries beyond the count keep old contents.
extern CalendarEvent MoonPhaseTable[kEventTableSize];
extern CalendarEvent SolarTermTable[kEventTableSize];

// Names by table index; an index outside the table gives an empty text.
const char* SolarTermName(int k);
const char* MoonPhaseName(int k);

// The sun's longitude with plain aberration and its apparent longitude
// (aberration by distance and nutation in longitude), each from a fresh
// SunPosition into SunRecord at jd (its horizontal place seen from `observer`).
double NutationInLongitude(double julianDay);
double SunPlainLongitude(double julianDay, const Place& observer = Place{});
double SunApparentLongitude(double julianDay, const Place& observer = Place{});

// The term that begins on the day (empty name when none; the day is the one
// the term list gives) and the sun's longitude: apparent, at the term's
// moment on a term day, else at noon minus 0.0057.
void SolarTermOfDay(double year, double month, double day, std::string& name, double& longitude);
// Whole days since the last 立春: 0 on its day, -1 on the day before.
int DaysSinceSpringBegins(double year, double month, double day);
// The whole degree of the sun's apparent longitude crossed during the day and
// the moment of the crossing; -100.0 and 0 when the day crosses none.
double SunDegreeOfDay(double year, double month, double day, double& julianDay);
// Noon of the two cycle-opening days (甲子) nearest the two solstices around
// jd; 0 when not found.
void SolsticeCycleStartDays(double julianDay, double& first, double& second);
// Noon of the cycle-opening day (甲子) nearer a solstice at `moment` whose
// day has its noon at `noonOfDay`: the last one on or before that day or the
// next one, the later when equally near.
double CycleStartNearSolstice(double moment, double noonOfDay);
// The new moons found in the 40 days up to jd's day; 0 when not found.
void RecentNewMoons(double julianDay, double& first, double& second);

// The events from 1 January of jd0's year over days 0..n into the event
// arrays; the count (at most kEventCapacity) is stored and returned.
int ListMoonPhases(double jd0, double n);
int ListSolarTerms(double jd0, double n);
// A year's events as records of the tables (n cut to 800); returns the count.
int BuildMoonPhaseTable(double year, double n);
int BuildSolarTermTable(double year, double n);

// A table (MoonPhaseTable when `phases`, else SolarTermTable) from a list
// operation that fills the event arrays for (jd0, n), as the two table
// operations build theirs; returns the count.
int BuildEventTable(double year, double n, const std::function<int(double, double)>& list, bool phases);

// The two kinds of a year's events.
enum class EventKind { MoonPhases, SolarTerms };
// The span the year list and the data table ask for: 1 January and the 430
// days after it, so a lunisolar year that ends in the next February is whole.
inline constexpr int kYearEventDays = 430;

// The list views' item text "%5s %2.0f/%2.0f hh:mm:ss": name, month, day and
// clock time at 135 degrees east of the moment, to the nearest second (a
// rounded 60 carried, into the next day at midnight).
std::string EventListItem(const std::string& name, double julianDay);
