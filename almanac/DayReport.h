// The day the main form shows, as numbers and lookups: computed once from a
// moment by ComputeDayReport. The window's fields, `day`'s lines, `--json day`
// and the iCalendar writer format it; none of them reads a text back.
#pragma once

#include <optional>

#include "astro/Model.h"
#include "astro/Moment.h"
#include "caldb/Eras.h"
#include "caldb/Lunisolar.h"

class CDaoDatabase;

// A solar term and the whole days since its day.
struct TermInForce {
  int term = 0;  // index into SolarTermNames (0 春分 at 0°, 15° apart)
  int days = 0;
};

struct DayReport {
  // The moment the report is of: its date (as the form gives it), place,
  // calendar rule, zone and model.
  Moment at;
  // 12:00 Japan Standard Time of the day on the day-count clock: the J every
  // day sign is computed from.
  JulianDay noon = 0;

  // The solar term: `termDay` when one falls on the day (`term` is it, days
  // 0); else `term` is the one in force, none when no term list spans the day.
  bool termDay = false;
  std::optional<TermInForce> term;
  // The sun's longitude at the day's noon in degrees (a value just short of 0
  // reads 0), its solar-term month 1..12 and the pentad's [ID] in [七十二候].
  double solarLongitude = 0;
  int solarMonth = 0;
  int pentad = 0;

  // The era of the year, as the History and reign tables give it; none until
  // looked up (see ComputeDayReport).
  std::optional<EraTexts> era;
  // The nine star 1..9; none without the two cycle-opening days.
  std::optional<int> nineStar;

  // The lunisolar lookup's month and day as it found them (a leap month keeps
  // its number), whether the month is a leap month, and the date they make;
  // none where the table gives the day none.
  double lunarMonth = 0;
  double lunarDay = 0;
  bool leapMonth = false;
  std::optional<LunisolarDate> lunarDate;

  // The day's stem (甲 1 … 壬 9, 癸 0) and branch (子 1 … 戌 11, 亥 0).
  int stem = 0;
  int branch = 0;
  // Days since the last new moon at the day's noon; none without one.
  std::optional<double> moonAge;

  // Set by the last step: every number above is in.
  bool complete = false;
};

// The day of `at` (its year, month and day) in `ephemeris`, the lookups from
// `db` (open): SunReport, then CompleteDayReport.
void ComputeDayReport(const Moment& at, const Ephemeris& ephemeris, CDaoDatabase& db, DayReport& report);
// The report's first part, which needs no database: the moment, the noon,
// the term, the longitude, the solar-term month and the pentad.
DayReport SunReport(const Moment& at, const Ephemeris& ephemeris);
// The rest, in the order the panel shows its fields: the era, the nine star,
// the lunisolar date, the day signs and the moon's age. An engine error
// (CDaoException) of a lookup leaves the values before it in `report` and
// `complete` false.
void CompleteDayReport(const Ephemeris& ephemeris, CDaoDatabase& db, DayReport& report);

// The inputs of the seasonal days ("暦注") of the report's day: the sun's
// whole degree at a moment of the day and the whole days since 立春; each
// none where the model finds none.
struct SeasonalInputs {
  std::optional<double> sunDegree;
  std::optional<int> daysSinceSpring;
};
SeasonalInputs SeasonalInputsOf(const DayReport& report, const Ephemeris& ephemeris);
