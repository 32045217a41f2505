#include "core/Clock.h"

#include <ctime>

namespace clock_reading {
void ReadClock(double& year, double& month, double& day, double& hour) {
  const std::time_t now = std::time(nullptr);
  std::tm t{};
  localtime_r(&now, &t);
  year = t.tm_year + 1900;
  month = t.tm_mon + 1;
  day = t.tm_mday;
  hour = t.tm_hour + t.tm_min * 0.016666666666666666 + t.tm_sec * 0.0002777777777777778;
}
}  // namespace clock_reading
