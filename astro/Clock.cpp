#include "astro/Clock.h"

#include <date/tz.h>

#include <algorithm>
#include <chrono>
#include <cmath>

struct TimeZone::Span {
  JulianDay from;  // Universal Time
  double hours;
};

namespace {

// 1888-01-01 00:00 Universal Time; standard time begins at 00:00 of that day
// on the zone's own clock.
constexpr JulianDay kStandardTimeDay = 2410637.5;
// The zone tables are built up to here; later moments ask the tz database.
constexpr JulianDay kTableEnd = 2524593.5;  // 2200-01-01
constexpr JulianDay kUnixEpoch = 2440587.5;

// Whole-hour zone nearest |longitude|, halves rounded away from zero.
double ZoneHours(double absLongitude) { return std::floor(absLongitude / 15.0 + 0.5); }

double MeanTimeHours(double longitude) { return longitude / 15.0; }

date::sys_seconds ToSysSeconds(JulianDay jd) {
  const double seconds = std::floor((jd - kUnixEpoch) * 86400.0);
  // The tz database answers for any moment a year's arithmetic can name.
  const double bound = 4.0e12;
  return date::sys_seconds{std::chrono::seconds{static_cast<long long>(std::clamp(seconds, -bound, bound))}};
}

JulianDay ToJulianDay(date::sys_seconds t) { return kUnixEpoch + t.time_since_epoch().count() / 86400.0; }

double Hours(const date::sys_info& info) { return info.offset.count() / 3600.0; }

std::vector<TimeZone::Span> BuildTable(const date::time_zone& zone) {
  std::vector<TimeZone::Span> spans;
  date::sys_seconds t = ToSysSeconds(-1.0e7);
  for (;;) {
    const date::sys_info info = zone.get_info(t);
    const JulianDay from = spans.empty() ? -1.0e300 : ToJulianDay(info.begin);
    if (spans.empty() || spans.back().hours != Hours(info)) spans.push_back({from, Hours(info)});
    if (info.end >= ToSysSeconds(kTableEnd) || info.end <= t) break;
    t = info.end;
  }
  return spans;
}

}  // namespace

JulianDay CurrentJulianDay() {
  const auto now = std::chrono::system_clock::now().time_since_epoch();
  return kUnixEpoch + std::chrono::duration<double>(now).count() / 86400.0;
}

CalendarRule CalendarRuleOfMode(int calendarMode) {
  return calendarMode == 0 ? CalendarRule::JulianThenGregorian : CalendarRule::Gregorian;
}

int CalendarModeOfRule(CalendarRule rule) { return rule == CalendarRule::JulianThenGregorian ? 0 : 1; }

TimeZone TimeZone::Design() { return TimeZone{}; }

std::optional<TimeZone> TimeZone::Named(const std::string& name, std::string& error) {
  if (name == kDesignName) return Design();
  const date::time_zone* zone = nullptr;
  try {
    zone = date::locate_zone(name);
  } catch (const std::exception&) {
    error = "no time zone '" + name + "' in the tz database (an IANA name such as Asia/Tokyo, or design)";
    return std::nullopt;
  }
  TimeZone z;
  z.name_ = name;
  // Japan's clock is Japan Standard Time from 1888 on: the almanac, like the
  // national one, prints JST also in the summers of 1948-1951 that the tz
  // database keeps as summer time.
  z.japan_ = zone->name() == kDefaultName;
  z.table_ = std::make_shared<const std::vector<Span>>(
      z.japan_ ? std::vector<Span>{{-1.0e300, 9.0}} : BuildTable(*zone));
  return z;
}

TimeZone::Offset TimeZone::OffsetAt(JulianDay ut, double longitude) const {
  if (!table_) {
    const double sign = longitude < 0.0 ? -1.0 : 1.0;
    const double zone = sign * ZoneHours(std::fabs(longitude));
    if (ut < kStandardTimeDay - zone / 24.0) return {MeanTimeHours(longitude), true};
    return {zone, false};
  }
  if (japan_ && ut < kStandardTimeDay - 9.0 / 24.0) return {MeanTimeHours(longitude), true};
  if (ut >= kTableEnd && !japan_) return {Hours(date::locate_zone(name_)->get_info(ToSysSeconds(ut))), false};
  const auto after = std::upper_bound(table_->begin(), table_->end(), ut,
                                      [](JulianDay t, const Span& s) { return t < s.from; });
  return {std::prev(after)->hours, false};
}

TimeZone::Offset TimeZone::OffsetOfReading(JulianDay reading, double longitude) const {
  // The offset a day before and a day after: a reading is the earlier
  // offset's when that offset is in force at the moment it names, else the
  // later's; when neither is (a skipped reading), the earlier.
  const Offset before = OffsetAt(reading - 1.0, longitude);
  auto holds = [&](const Offset& o) {
    const Offset at = OffsetAt(reading - o.hours / 24.0, longitude);
    return at.hours == o.hours && at.meanTime == o.meanTime;
  };
  if (holds(before)) return before;
  const Offset after = OffsetAt(reading + 1.0, longitude);
  return holds(after) ? after : before;
}
