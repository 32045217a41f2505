#include "core/Calendar.h"

CalendarRule CalendarRuleOfMode(int datLine4) {
  return datLine4 == 0 ? CalendarRule::JulianThenGregorian : CalendarRule::Gregorian;
}
