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
  ~PublishedMoment() { PublishMoment(m_saved); }
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
};

}  // namespace testsupport
