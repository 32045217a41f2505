// The moment and place every computation is asked about: the selected date
// and hour, the observer's place, the calendar rule and the astronomical
// model. The windows and the CLI read it once from their fields or arguments
// and hand it on; nothing below them reads the moment from a global.
#pragma once

#include "astro/Globals.h"

// Which set of formulas computes the places of the bodies. Design is the
// almanac's own series; Precise is reserved for a more exact model.
enum class AstroModel { Design, Precise };

// An observer's place in degrees, north and east positive (Tokyo by default).
struct Place {
  double latitude = 35.6;
  double longitude = 139.7;
};

struct Moment {
  // Date (astronomical year, month and day carry arithmetically) and hour
  // with fraction, on the clock of place.longitude.
  double year = 2000.0;
  double month = 1.0;
  double day = 1.0;
  double hour = 0.0;
  Place place;
  // 0: Julian dates before 1582-10-15; any other value: proleptic Gregorian.
  int calendarMode = 0;
  AstroModel model = AstroModel::Design;
};

// The moment's Julian day: its date and hour on the clock of its longitude,
// under its calendar rule.
JulianDay MomentJulianDay(const Moment& m);

// The one writer of the shared globals: WorkYear .. WorkHour, WorkJulianDay,
// ObserverLatitude, ObserverLongitude and CalendarMode take the moment's
// values. Called by the main view as a refresh starts and before it draws,
// and by the CLI once per command, before anything that reads them runs.
void PublishMoment(const Moment& m);

// The observer place as last published.
Place PublishedPlace();
