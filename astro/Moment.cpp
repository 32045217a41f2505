#include "astro/Moment.h"

#include "astro/TimeScales.h"

JulianDay MomentJulianDay(const Moment& m) {
  return DateToJulianDay(m.year, m.month, m.day, m.hour, m.place.longitude, m.calendarMode);
}

void PublishMoment(const Moment& m) {
  CalendarMode = m.calendarMode;
  WorkYear = m.year;
  WorkMonth = m.month;
  WorkDay = m.day;
  WorkHour = m.hour;
  ObserverLatitude = m.place.latitude;
  ObserverLongitude = m.place.longitude;
  WorkJulianDay = MomentJulianDay(m);
}

Place PublishedPlace() { return Place{ObserverLatitude, ObserverLongitude}; }
