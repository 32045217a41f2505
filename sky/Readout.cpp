#include "sky/Readout.h"

#include <cstdlib>
#include <ctime>

#include "astro/AstroTable.h"
#include "astro/RiseSet.h"
#include "astro/Sun.h"
#include "astro/Tides.h"
#include "astro/TimeScales.h"
#include "core/Text.h"
#include "sky/Chart.h"

namespace {

// "日の出 06:50": a local clock hour with the seconds dropped.
std::string RiseSetText(const char* label, double hour, bool dashesForNoEvent) {
  if (dashesForNoEvent && hour == kNoEventHour) return text::SjisFormat("%s --", label);
  return std::string(label) + " " + HoursMinutesText(hour);
}

// "満01:07" or "満 --": a tide moment on the clock of the observer's longitude.
std::string TideText(const char* label, double moment, double longitude) {
  return label + TideTimeText(moment, longitude);
}

std::string DateTimeText(const char* label, double year, double month, double day, double hour,
                         double minute, double second) {
  return text::SjisFormat("%s  %04d/%02d/%02d/ %02d:%02d:%02d", label, TruncToPixel(year),
                          TruncToPixel(month), TruncToPixel(day), TruncToPixel(hour),
                          TruncToPixel(minute), TruncToPixel(second));
}

}  // namespace

std::vector<ReadoutText> ComputeReadout(JulianDay jd, const std::string& hourExact, const Place& observer,
                                        double chartAzimuth, AstroModel model) {
  const double longitude = observer.longitude, latitude = observer.latitude;
  SunRecord.riseTime = RiseTime(model, jd, BodySun, observer);
  SunRecord.setTime = SetTime(model, jd, BodySun, observer);
  MoonRecord.riseTime = RiseTime(model, jd, BodyMoon, observer);
  MoonRecord.setTime = SetTime(model, jd, BodyMoon, observer);
  std::vector<ReadoutText> out;
  out.reserve(13);
  out.push_back({0, 5, RiseSetText("日の出", SunRecord.riseTime, false)});
  out.push_back({0, 20, RiseSetText("日の入", SunRecord.setTime, false)});
  out.push_back({0, 35, RiseSetText("月の出", MoonRecord.riseTime, true)});
  out.push_back({0, 50, RiseSetText("月の入", MoonRecord.setTime, true)});
  out.push_back({420, 5, "時刻 " + AstroTimeText(std::atof(hourExact.c_str()))});
  out.push_back({420, 20, text::SjisFormat("東経 %3.1f", longitude)});
  out.push_back({420, 35, text::SjisFormat("北緯 %3.1f", latitude)});
  out.push_back({420, 50, text::SjisFormat("方位角 %3.0f", chartAzimuth)});
  out.push_back({440, 65, "東京湾潮汐"});
  TideTimes(jd, observer);
  out.push_back({465, 80, TideText("満", HighWater1, longitude)});
  out.push_back({465, 95, TideText("満", HighWater2, longitude)});
  out.push_back({465, 110, TideText("干", LowWater1, longitude)});
  out.push_back({465, 125, TideText("干", LowWater2, longitude)});
  return out;
}

std::vector<std::string> ReadoutLines(const Moment& at, double chartAzimuth) {
  std::vector<std::string> lines;
  for (ReadoutText& t :
       ComputeReadout(MomentJulianDay(at), text::SjisFormat("%2.5f", at.hour), at.place, chartAzimuth, at.model))
    lines.push_back(std::move(t.text));
  return lines;
}

std::string StatusLineText(JulianDay jd, double longitude, double latitude, int redrawCount) {
  double year, month, day, hour, h, m, s;
  JulianDayToDate(jd, year, month, day, hour, longitude);
  SplitSexagesimal(hour, h, m, s);
  return DateTimeText("表示日時", year, month, day, h, m, s) +
         text::SjisFormat(", %4.2f, %4.2f  %12.5f  %5d", longitude, latitude, jd, redrawCount);
}

std::string ClockLineText() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return DateTimeText("現在日時", local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                      local.tm_hour, local.tm_min, local.tm_sec);
}
