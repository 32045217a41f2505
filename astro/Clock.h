// The clock a place reads its times on, and the calendar rule its dates are
// written in. A Clock turns a Universal Time moment into the hours to add for
// the local clock and back; both directions share one switch moment, so a
// date read and written again is the same date.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/Calendar.h"

using JulianDay = double;

// A time zone: a zone of the system's tz database by its IANA name, or the
// design's whole-hour zone nearest the place's longitude. "Asia/Tokyo" is
// Japan Standard Time (also in the summers of 1948-1951, as the almanac has
// always printed them); before standard time began in Japan (1888-01-01
// 00:00 JST) it and the design's zone read the local mean time of the place.
// Other zones follow the tz database throughout (its own local mean time
// before its first rule, summer time where it has it, and the rule written at
// the end of the zone's file after the last change the file lists). Every
// name of Asia/Tokyo's file (Japan) is Asia/Tokyo.
// Immutable once made; copies share the zone's rules.
class TimeZone {
 public:
  // The name the design's zone is chosen by in the settings and the CLI.
  static constexpr const char* kDesignName = "design";
  static constexpr const char* kDefaultName = "Asia/Tokyo";

  static TimeZone Design();
  // The zone of `name` ("design" or an IANA name); nullopt with `error` set
  // when the tz database has no such zone or its file is damaged.
  static std::optional<TimeZone> Named(const std::string& name, std::string& error);

  const std::string& Name() const { return name_; }
  bool IsDesign() const { return !rules_; }

  // What the clock at `longitude` (degrees east) adds to Universal Time:
  // hours, and whether they are the place's mean time (longitude / 15).
  struct Offset {
    double hours = 0.0;
    bool meanTime = false;
  };
  // At the moment `ut`.
  Offset OffsetAt(JulianDay ut, double longitude) const;
  // For a clock reading (its date and hour counted as if they were Universal
  // Time): where the clock was put back and a reading happens twice, the
  // earlier moment's; where it skipped readings, the offset before the jump.
  Offset OffsetOfReading(JulianDay reading, double longitude) const;
  // Whether a clock reading names one moment, none (the clock skipped it) or
  // two (the clock was put back over it).
  enum class Reading { Once, Skipped, Twice };
  Reading KindOfReading(JulianDay reading, double longitude) const;

  struct Rules;  // a named zone's rules

 private:
  std::string name_ = kDesignName;
  std::shared_ptr<const Rules> rules_;  // empty for the design's zone
};

// The clock of one place: its zone and the longitude whose mean time it reads
// where the zone keeps mean time.
struct Clock {
  TimeZone zone;
  double longitude = 0.0;
};

// The present instant as a Julian day (UT), from the system clock.
JulianDay CurrentJulianDay();

// A moment's date and hour on a clock.
struct LocalTime {
  double year = 0;
  double month = 0;
  double day = 0;
  double hour = 0;
};

// How a date and hour name a moment: the calendar rule the date is written
// in and the clock the hour is read on.
struct DateClock {
  CalendarRule calendar = CalendarRule::JulianThenGregorian;
  Clock clock;
};
