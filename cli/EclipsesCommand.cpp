// ombrel-cli eclipses YEAR|FROM..TO [--lon X] [--lat Y]: the year's lunar eclipses and
// the solar eclipses seen from the place, on the precise ephemeris in either
// model, with their contacts on the zone's clock.
#include <cmath>
#include <optional>
#include <string>

#include "almanac/Settings.h"
#include "astro/ClockText.h"
#include "astro/EclipseDays.h"
#include "astro/TimeScales.h"
#include "astro/precise/Eclipses.h"
#include "cli/Command.h"
#include "cli/Json.h"
#include "core/Text.h"

namespace cli {
namespace {

using precise::LunarEclipse;
using precise::SolarEclipse;

constexpr const char* kUsage = "usage: eclipses YEAR|FROM..TO [--lon X] [--lat Y]";
// The years of the ΔT polynomials the moments rest on.
constexpr long long kFirstYear = eclipses::kFirstYear;
constexpr long long kLastYear = eclipses::kLastYear;
// What the command works from: the place and the clock (the run's zone and
// calendar rule at the place).
struct Setting {
  Place place;
  DateClock on;
};

// The place from the run's settings, or from --lon/--lat where given; false
// after reporting what was wrong.
bool ReadSetting(const Run& run, const Options& options, Setting& s, int& status) {
  Warn(run.settingsWarnings);
  Moment at = run.settings;
  if (!ReadPlaceOptions(options, at.place, status)) return false;
  s = {at.place, PlaceClock(at)};
  return true;
}

std::string Time(JulianDay ut, const Setting& s) { return ZonedTimeText(ut, s.on); }

// The text lines: the date of the greatest eclipse and the kind, then each
// phase's name and clock time, tab-separated. A contact on another day than
// the greatest eclipse says 前日 or 翌日 before its time.
std::string DateOf(JulianDay ut, const Setting& s) {
  const std::string t = Time(ut, s);
  return t.substr(0, t.find('T'));
}

std::string ClockOf(JulianDay ut, JulianDay greatest, const Setting& s) {
  const std::string t = Time(ut, s);
  const std::string prefix = DateOf(ut, s) == DateOf(greatest, s) ? "" : ut < greatest ? "前日" : "翌日";
  return prefix + t.substr(t.find('T') + 1, 8);
}

// The contacts of an eclipse, each "name time" with the sun's altitude where
// it has one.
void AddContacts(std::string& line, const std::vector<eclipses::Contact>& contacts, JulianDay greatest,
                 const Setting& s) {
  for (const eclipses::Contact& c : contacts) {
    line += "\t" + c.name + " " + ClockOf(c.moment, greatest, s);
    if (c.sunAltitude) line += text::SjisFormat(" 高度%.1f", *c.sunAltitude);
  }
}

std::string LunarLine(const LunarEclipse& e, const Setting& s) {
  std::string line = DateOf(e.greatest, s) + "\t" + eclipses::KindName(e.kind);
  AddContacts(line, eclipses::Contacts(e), e.greatest, s);
  line += text::SjisFormat("\t本影食分 %.3f\t半影食分 %.3f", e.umbralMagnitude, e.penumbralMagnitude);
  return line + (e.visible ? "\t見える" : "\t見えない");
}

std::string SolarLine(const SolarEclipse& e, const Setting& s) {
  const JulianDay g = e.greatest.moment;
  std::string line = DateOf(g, s) + "\t" + eclipses::KindName(e.kind);
  AddContacts(line, eclipses::Contacts(e), g, s);
  line += text::SjisFormat("\t食分 %.3f\t面積比 %.3f", e.magnitude, e.obscuration);
  if (e.beginsBeforeSunrise) line += "\t日出帯食";
  if (e.endsAfterSunset) line += "\t日入帯食";
  if (e.centralBelowHorizon)
    line += std::string("\t") + (*e.centralBelowHorizon == precise::SolarEclipseKind::kTotal ? "皆既" : "金環") +
            "食は地平線下";
  return line;
}

// The year on the zone's clock, as Universal Time Julian days [from, to).
void YearMoments(long long year, const Setting& s, JulianDay& from, JulianDay& to) {
  const double y = static_cast<double>(year);
  from = DateToJulianDay(y, 1.0, 1.0, 0.0, s.on);
  to = DateToJulianDay(y + 1.0, 1.0, 1.0, 0.0, s.on);
}

// One year's eclipses: printed as text lines (the warning on stderr), or
// returned as the year's document.
Json EclipsesOfYear(const Run& run, const Setting& s, long long year) {
  JulianDay from = 0, to = 0;
  YearMoments(year, s, from, to);
  const std::vector<LunarEclipse> lunar = precise::LunarEclipses(from, to, s.place);
  const std::vector<SolarEclipse> solar = precise::SolarEclipses(from, to, s.place);
  // The eclipses rest on the earth's series in either model.
  const std::optional<std::string> warning = EclipseWarning({from, to, SeriesUse::kEarth, "the eclipses' moments"});
  if (!run.options.json) {
    if (warning) Warn({*warning});
    for (const LunarEclipse& e : lunar) Print(LunarLine(e, s));
    for (const SolarEclipse& e : solar)
      if (e.sunUp) Print(SolarLine(e, s));
    return nullptr;
  }
  Json lunarList = Json::array(), solarList = Json::array();
  for (const LunarEclipse& e : lunar) lunarList.push_back(EclipseJson(e, s.on));
  for (const SolarEclipse& e : solar)
    if (e.sunUp) solarList.push_back(EclipseJson(e, s.on));
  Json document = {{"year", year},
                   {"place", {{"longitude", s.place.longitude}, {"latitude", s.place.latitude}}},
                   {"lunar", lunarList},
                   {"solar", solarList}};
  if (warning) document["warning"] = *warning;
  return document;
}

int RunEclipses(const Run& run, const Args& args) {
  Options options;
  std::string error;
  if (!ParseOptions(args, {{"lon", true}, {"lat", true}}, options, error)) return UsageError(error);
  if (options.positional.size() != 1) return UsageError(kUsage);
  YearSpan years;
  int status = kOk;
  if (!ReadYears(options.positional[0], kFirstYear, kLastYear, years, status)) return status;
  Setting s;
  if (!ReadSetting(run, options, s, status)) return status;
  PrintYears(run, years, [&](long long year) { return EclipsesOfYear(run, s, year); });
  return kOk;
}

const CommandRegistration kEclipses({"eclipses", "eclipses YEAR|FROM..TO [--lon X] [--lat Y]",
                                     "the year's (or each year's of a range) lunar eclipses and the solar eclipses seen from the place "
                                     "(default the settings' place), with their contacts on the zone's clock (JST by default), -1999-3000",
                                     RunEclipses, true});

}  // namespace
}  // namespace cli
