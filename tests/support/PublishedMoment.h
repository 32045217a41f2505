// Tests that need a calendar rule or a place in the shared globals set them
// through this guard, which publishes the way the programs do and puts back
// what was published before, so the tests pass in any order.
#pragma once

#include "astro/Moment.h"

namespace testsupport {

class PublishedMoment {
 public:
  explicit PublishedMoment(int calendarMode = 0, Place place = Place{}) {
    Moment m;
    m.calendarMode = calendarMode;
    m.place = place;
    PublishMoment(m);
  }
  ~PublishedMoment() {
    PublishMoment(m_saved);
    // Before the first publish the Julian day does not follow from the date
    // (all are 0), so it is put back as it was rather than recomputed.
    WorkJulianDay = m_savedJulianDay;
  }
  PublishedMoment(const PublishedMoment&) = delete;
  PublishedMoment& operator=(const PublishedMoment&) = delete;

 private:
  static Moment Current() {
    Moment m;
    m.year = WorkYear, m.month = WorkMonth, m.day = WorkDay, m.hour = WorkHour;
    m.place = {ObserverLatitude, ObserverLongitude};
    m.calendarMode = CalendarMode;
    return m;
  }
  Moment m_saved = Current();
  JulianDay m_savedJulianDay = WorkJulianDay;
};

}  // namespace testsupport
