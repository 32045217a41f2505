// Japan's national holidays (国民の祝日) and the rest days the holiday law
// adds to them (振替休日, 国民の休日), from the law's first day, 1948-07-20,
// to the end of 2100. Dates are Gregorian.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "astro/Model.h"
#include "core/Conf.h"

namespace holidays {

inline constexpr int kFirstYear = 1948;
inline constexpr int kLastYear = 2100;

inline bool InRange(long long year) { return year >= kFirstYear && year <= kLastYear; }

// The day of the month on which the sun's apparent longitude reaches
// `longitude` (0: March, 180: September) in Japan Standard Time. The equinox
// holidays take their day from here, so an astronomical model is chosen by
// passing its function.
using EquinoxDayFn = std::function<std::optional<int>(int year, int longitude)>;

// The day from an ephemeris: the day (JST, Gregorian) whose solar term is the
// equinox, as the model's term list names it; none when none of days 17 to
// 25 has it (the year then has no equinox holiday).
std::optional<int> EquinoxDay(const Ephemeris& ephemeris, int year, int longitude);

struct Holiday {
  int year = 0, month = 0, day = 0;
  std::string name;  // UTF-8
};

// The year's holidays in date order; empty outside kFirstYear..kLastYear.
std::vector<Holiday> HolidaysOfYear(int year, const EquinoxDayFn& equinoxDay);
std::vector<Holiday> HolidaysOfYear(int year, const Ephemeris& ephemeris);

// The name of the holiday on a date, none when the date is no holiday.
std::optional<std::string> HolidayName(int year, int month, int day, const EquinoxDayFn& equinoxDay);
std::optional<std::string> HolidayName(int year, int month, int day, const Ephemeris& ephemeris);

// Whether the user shows the holidays: "holidays=1" in ombrel.conf (off
// when absent, so the almanac looks as designed until it is turned on).
inline constexpr const char* kConfKey = "holidays";
bool Shown(const Conf& conf);
void SetShown(Conf& conf, bool shown);

// "YYYY-MM-DD".
std::string IsoDate(int year, int month, int day);

}  // namespace holidays
