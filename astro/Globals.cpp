#include "astro/Globals.h"

int CalendarMode = 0;

double WorkYear = 0.0;
double WorkMonth = 0.0;
double WorkDay = 0.0;
double WorkHour = 0.0;
JulianDay WorkJulianDay = 0.0;

double ObserverLatitude = 35.6;
double ObserverLongitude = 139.7;
