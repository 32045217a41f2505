// The almanac's shared globals: the calendar rule, the scratch date and the
// observer's place. All computations run on the one user-interface thread and
// read or overwrite these as each operation documents.
#pragma once

// Julian days on Universal Time: days and fraction from noon of 4713 BC
// (Julian calendar).
using JulianDay = double;

// 0: dates before 1582-10-15 are Julian-calendar dates; any other value: all
// dates are proleptic Gregorian.
extern int CalendarMode;

// The shared scratch date: year (astronomical), month, day, hour with fraction.
extern double WorkYear;
extern double WorkMonth;
extern double WorkDay;
extern double WorkHour;
// The working Julian day of the drawings and the data table.
extern JulianDay WorkJulianDay;

// Observer place in degrees, north and east positive (Tokyo by default).
extern double ObserverLatitude;
extern double ObserverLongitude;
