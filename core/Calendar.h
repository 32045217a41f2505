// The calendar rules dates are written in.
#pragma once

// How dates are written: the Julian calendar before 1582-10-15 and the
// Gregorian from then on, or the Gregorian throughout.
enum class CalendarRule { JulianThenGregorian, Gregorian };

// The rule of ombrel.dat's line 4 as read: 0 the Julian calendar before
// 1582-10-15, any other value the Gregorian throughout.
CalendarRule CalendarRuleOfMode(int datLine4);
