// Moments for the tests, built as the settings build them: Asia/Tokyo (the
// settings' default zone), the default place, the Julian-then-Gregorian
// calendar and the design's model, unless a test changes a field.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>

#include "astro/Clock.h"
#include "astro/Moment.h"

namespace testsupport {

inline TimeZone Zone(const std::string& name) {
  std::string error;
  const std::optional<TimeZone> zone = TimeZone::Named(name, error);
  if (!zone) throw std::runtime_error("no zone " + name + ": " + error);
  return *zone;
}

inline TimeZone Tokyo() { return Zone(TimeZone::kDefaultName); }

inline Moment TokyoMoment(double year, double month, double day, double hour) {
  Moment m;
  m.year = year, m.month = month, m.day = day, m.hour = hour;
  m.zone = Tokyo();
  return m;
}

inline Moment TokyoMoment(double year, double month, double day, double hour, const Place& place) {
  Moment m = TokyoMoment(year, month, day, hour);
  m.place = place;
  return m;
}

}  // namespace testsupport
