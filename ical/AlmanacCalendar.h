// The almanac's year as an iCalendar file: solar terms and moon phases at
// their moments, the eclipses from their first to their last contact, and
// the holidays, 六曜, selected and seasonal days and the
// lunisolar dates as all-day events.
#pragma once

#include "astro/Model.h"
#include "astro/Moment.h"

#include <string>
#include <vector>

#include "ical/ICalendar.h"

namespace ical {

// The kinds of events, as --what names them.
enum Kind : unsigned {
  kTerms = 1u << 0,
  kPhases = 1u << 1,
  kHolidays = 1u << 2,
  kSixDay = 1u << 3,
  kObservances = 1u << 4,
  kLunar = 1u << 5,
  kEclipses = 1u << 6,
  kAllKinds = (1u << 7) - 1,
};

// Years whose days are Gregorian and within the calendar table.
inline constexpr int kFirstYear = 1583;
inline constexpr int kLastYear = 2100;

// The --what items in order, comma-separated ("terms,phases,...").
std::string KindNames();

// "terms,phases,..." into kinds; false with the unknown item in `bad`.
bool ParseKinds(const std::string& list, unsigned& kinds, std::string& bad);

// The year's events of the chosen kinds, the days' ones read from the
// calendar database at `databasePath`, everything in the calendar rule and
// zone of `settings` (its date and hour are not read) and asked of
// `ephemeris`, the ephemeris of its model. The database engine's error
// (CDaoException) passes through.
std::vector<Event> AlmanacEvents(int year, unsigned kinds, const std::string& databasePath, const Moment& settings,
                                 const Ephemeris& ephemeris);

// Computes and writes the calendar to `path`, wholly or not at all. False
// with a reason when the database or the file fails.
bool WriteAlmanacCalendar(const std::string& path, int year, unsigned kinds, const std::string& databasePath,
                          const Moment& settings, const Ephemeris& ephemeris, std::string& error);

}  // namespace ical
