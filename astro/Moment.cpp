#include "astro/Moment.h"

DateClock PlaceClock(const Moment& m) { return {m.calendar, Clock{m.zone, m.place.longitude}}; }

DateClock ListClock(CalendarRule calendar, const TimeZone& zone) { return {calendar, Clock{zone, kJstLongitude}}; }

DateClock ListClock(const Moment& m) { return ListClock(m.calendar, m.zone); }

JulianDay MomentJulianDay(const Moment& m) { return DateToJulianDay(m.year, m.month, m.day, m.hour, PlaceClock(m)); }
