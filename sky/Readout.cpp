#include "sky/Readout.h"

#include <optional>

#include "astro/AstroTable.h"
#include "astro/ClockText.h"
#include "astro/EclipseDays.h"
#include "astro/MoonLight.h"
#include "astro/Sun.h"
#include "astro/Tides.h"
#include "astro/TimeScales.h"
#include "core/Text.h"
#include "sky/Chart.h"
#include "sky/MoonPicture.h"

namespace {

// "日の出 06:50": a local clock hour with the seconds dropped, "日の出 --"
// where the day has none.
std::string RiseSetText(const char* label, const std::optional<double>& hour) {
  return std::string(label) + " " + EventMinuteText(hour, "--");
}

std::string DateTimeText(const char* label, double year, double month, double day, double hour,
                         double minute, double second) {
  return text::SjisFormat("%s  %04d/%02d/%02d/ %02d:%02d:%02d", label, TruncToPixel(year),
                          TruncToPixel(month), TruncToPixel(day), TruncToPixel(hour),
                          TruncToPixel(minute), TruncToPixel(second));
}

std::string DateTimeText(const char* label, const LocalTime& t) {
  double h, m, s;
  SplitSexagesimal(t.hour, h, m, s);
  return DateTimeText(label, t.year, t.month, t.day, h, m, s);
}

}  // namespace

std::vector<ReadoutText> ComputeReadout(const Moment& at, const Ephemeris& ephemeris, double chartAzimuth) {
  const Place& observer = at.place;
  const DateClock on = PlaceClock(at);
  const JulianDay jd = MomentJulianDay(at);
  std::vector<ReadoutText> out;
  out.reserve(13);
  out.push_back({0, 5, RiseSetText("日の出", ephemeris.RiseTime(BodySun, jd, observer, on))});
  out.push_back({0, 20, RiseSetText("日の入", ephemeris.SetTime(BodySun, jd, observer, on))});
  out.push_back({0, 35, RiseSetText("月の出", ephemeris.RiseTime(BodyMoon, jd, observer, on))});
  out.push_back({0, 50, RiseSetText("月の入", ephemeris.SetTime(BodyMoon, jd, observer, on))});
  out.push_back({420, 5, "時刻 " + AstroTimeText(at.hour)});
  out.push_back({420, 20, text::SjisFormat("東経 %3.1f", observer.longitude)});
  out.push_back({420, 35, text::SjisFormat("北緯 %3.1f", observer.latitude)});
  out.push_back({420, 50, text::SjisFormat("方位角 %3.0f", chartAzimuth)});
  out.push_back({440, 65, "東京湾潮汐"});
  const TideDay tides = TideTimes(jd, observer, HarbourClock(at.calendar, at.zone));
  const char* const labels[4] = {"満", "満", "干", "干"};
  for (int i = 0; i < 4; ++i) out.push_back({465, 80 + 15 * i, labels[i] + TideTimeText(TideMoment(tides, i), on)});
  return out;
}

// The notes below the moon's picture start under its left edge, clear of
// the chart's rim.
constexpr int kNoteLeft = kMoonCentreX - static_cast<int>(kMoonRadius);

std::optional<ReadoutText> EclipseReadout(const Moment& at) {
  std::optional<std::string> text = eclipses::InProgressText(at);
  if (!text) return std::nullopt;
  // Under the moon's picture, which the line would otherwise touch.
  return ReadoutText{kNoteLeft, kMoonCentreY + static_cast<int>(kMoonRadius) + 5, std::move(*text)};
}

ReadoutText MoonLightReadout(const Moment& at, const Ephemeris& ephemeris) {
  return {kNoteLeft, kMoonCentreY + static_cast<int>(kMoonRadius) + 35,
          MoonLightText(MoonLightAt(ephemeris, MomentJulianDay(at), at.place))};
}

std::vector<std::string> ReadoutLines(const Moment& at, const Ephemeris& ephemeris, double chartAzimuth) {
  std::vector<std::string> lines;
  for (ReadoutText& t : ComputeReadout(at, ephemeris, chartAzimuth)) lines.push_back(std::move(t.text));
  return lines;
}

std::optional<ReadoutText> ClockNoteReadout(const Moment& at) {
  const DateClock on = PlaceClock(at);
  const TimeZone::Reading reading = KindOfReadingOn(at.year, at.month, at.day, at.hour, on);
  if (reading == TimeZone::Reading::Once) return std::nullopt;
  const std::string shown = AstroTimeText(JulianDayToDate(MomentJulianDay(at), on).hour);
  const char* what = reading == TimeZone::Reading::Skipped ? "※時計の切替で無い時刻: " : "※2回ある時刻の早い方: ";
  // Under the eclipse line's place.
  return ReadoutText{kNoteLeft, kMoonCentreY + static_cast<int>(kMoonRadius) + 20, what + shown};
}

std::string StatusLineText(const Moment& at, int redrawCount) {
  const JulianDay jd = MomentJulianDay(at);
  return DateTimeText("表示日時", JulianDayToDate(jd, PlaceClock(at))) +
         text::SjisFormat(", %4.2f, %4.2f  %12.5f  %5d", at.place.longitude, at.place.latitude, jd, redrawCount);
}

std::string ClockLineText(const Moment& at) {
  return DateTimeText("現在日時", JulianDayToDate(CurrentJulianDay(), PlaceClock(at)));
}
