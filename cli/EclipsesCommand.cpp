// ombrel-cli eclipses YEAR [--lon X] [--lat Y]: the year's lunar eclipses and
// the solar eclipses seen from the place, on the precise ephemeris in either
// model, with their contacts on the zone's clock.
#include <cmath>
#include <optional>
#include <string>

#include "almanac/Settings.h"
#include "astro/ClockText.h"
#include "astro/TimeScales.h"
#include "astro/precise/Eclipses.h"
#include "cli/Command.h"
#include "cli/Json.h"
#include "core/Text.h"

namespace cli {
namespace {

using precise::LunarEclipse;
using precise::LunarEclipseKind;
using precise::SolarContact;
using precise::SolarEclipse;
using precise::SolarEclipseKind;

constexpr const char* kUsage = "usage: eclipses YEAR [--lon X] [--lat Y]";
// The years of the ΔT polynomials the moments rest on.
constexpr long long kFirstYear = -1999;
constexpr long long kLastYear = 3000;
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

// x to `decimals` places, as the nearest double (so it prints that short).
double Rounded(double x, int decimals) {
  const double scale = std::pow(10.0, decimals);
  return std::nearbyint(x * scale) / scale;
}

const char* LunarKindKey(LunarEclipseKind k) {
  return k == LunarEclipseKind::kTotal ? "total" : k == LunarEclipseKind::kPartial ? "partial" : "penumbral";
}
const char* LunarKindName(LunarEclipseKind k) {
  return k == LunarEclipseKind::kTotal ? "皆既月食" : k == LunarEclipseKind::kPartial ? "部分月食" : "半影月食";
}
const char* SolarKindKey(SolarEclipseKind k) {
  return k == SolarEclipseKind::kTotal ? "total" : k == SolarEclipseKind::kAnnular ? "annular" : "partial";
}
const char* SolarKindName(SolarEclipseKind k) {
  return k == SolarEclipseKind::kTotal ? "皆既日食" : k == SolarEclipseKind::kAnnular ? "金環日食" : "部分日食";
}

Json OptionalTime(const std::optional<JulianDay>& ut, const Setting& s) {
  return ut ? Json(Time(*ut, s)) : Json(nullptr);
}
std::optional<JulianDay> MomentOf(const std::optional<SolarContact>& c) {
  return c ? std::optional<JulianDay>(c->moment) : std::nullopt;
}

Json LunarJson(const LunarEclipse& e, const Setting& s) {
  return {{"kind", LunarKindKey(e.kind)},
          {"peak", Time(e.greatest, s)},
          {"contacts",
           {{"P1", Time(e.penumbralBegin, s)},
            {"U1", OptionalTime(e.partialBegin, s)},
            {"U2", OptionalTime(e.totalBegin, s)},
            {"U3", OptionalTime(e.totalEnd, s)},
            {"U4", OptionalTime(e.partialEnd, s)},
            {"P4", Time(e.penumbralEnd, s)}}},
          {"umbral_magnitude", Rounded(e.umbralMagnitude, 4)},
          {"penumbral_magnitude", Rounded(e.penumbralMagnitude, 4)},
          {"visible", e.visible}};
}

Json SolarJson(const SolarEclipse& e, const Setting& s) {
  return {{"kind", SolarKindKey(e.kind)},
          {"begin", Time(e.begin.moment, s)},
          {"total_begin", OptionalTime(MomentOf(e.centralBegin), s)},
          {"peak", Time(e.greatest.moment, s)},
          {"total_end", OptionalTime(MomentOf(e.centralEnd), s)},
          {"end", Time(e.end.moment, s)},
          {"magnitude", Rounded(e.magnitude, 4)},
          {"obscuration", Rounded(e.obscuration, 4)},
          {"sun_altitude",
           {{"begin", Rounded(e.begin.sunAltitude, 2)},
            {"peak", Rounded(e.greatest.sunAltitude, 2)},
            {"end", Rounded(e.end.sunAltitude, 2)}}}};
}

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

void AddPhase(std::string& line, const char* name, const std::optional<JulianDay>& ut, JulianDay greatest,
              const Setting& s) {
  if (ut) line += std::string("\t") + name + " " + ClockOf(*ut, greatest, s);
}

std::string LunarLine(const LunarEclipse& e, const Setting& s) {
  std::string line = DateOf(e.greatest, s) + "\t" + LunarKindName(e.kind);
  AddPhase(line, "半影食始め", e.penumbralBegin, e.greatest, s);
  AddPhase(line, "部分食始め", e.partialBegin, e.greatest, s);
  AddPhase(line, "皆既食始め", e.totalBegin, e.greatest, s);
  AddPhase(line, "食の最大", e.greatest, e.greatest, s);
  AddPhase(line, "皆既食終わり", e.totalEnd, e.greatest, s);
  AddPhase(line, "部分食終わり", e.partialEnd, e.greatest, s);
  AddPhase(line, "半影食終わり", e.penumbralEnd, e.greatest, s);
  line += text::SjisFormat("\t本影食分 %.3f\t半影食分 %.3f", e.umbralMagnitude, e.penumbralMagnitude);
  return line + (e.visible ? "\t見える" : "\t見えない");
}

void AddSolarPhase(std::string& line, const char* name, const std::optional<SolarContact>& c, JulianDay greatest,
                   const Setting& s) {
  if (c) line += std::string("\t") + name + " " + ClockOf(c->moment, greatest, s) +
                 text::SjisFormat(" 高度%.1f", c->sunAltitude);
}

std::string SolarLine(const SolarEclipse& e, const Setting& s) {
  const JulianDay g = e.greatest.moment;
  const char* central = e.kind == SolarEclipseKind::kTotal ? "皆既" : "金環";
  std::string line = DateOf(g, s) + "\t" + SolarKindName(e.kind);
  AddSolarPhase(line, "食の始め", e.begin, g, s);
  AddSolarPhase(line, (std::string(central) + "の始め").c_str(), e.centralBegin, g, s);
  AddSolarPhase(line, "食の最大", e.greatest, g, s);
  AddSolarPhase(line, (std::string(central) + "の終わり").c_str(), e.centralEnd, g, s);
  AddSolarPhase(line, "食の終わり", e.end, g, s);
  line += text::SjisFormat("\t食分 %.3f\t面積比 %.3f", e.magnitude, e.obscuration);
  if (e.beginsBeforeSunrise) line += "\t日出帯食";
  if (e.endsAfterSunset) line += "\t日入帯食";
  return line;
}

// The year on the zone's clock, as Universal Time Julian days [from, to).
void YearSpan(long long year, const Setting& s, JulianDay& from, JulianDay& to) {
  const double y = static_cast<double>(year);
  from = DateToJulianDay(y, 1.0, 1.0, 0.0, s.on);
  to = DateToJulianDay(y + 1.0, 1.0, 1.0, 0.0, s.on);
}

int RunEclipses(const Run& run, const Args& args) {
  Options options;
  std::string error;
  if (!ParseOptions(args, {{"lon", true}, {"lat", true}}, options, error)) return UsageError(error);
  if (options.positional.size() != 1) return UsageError(kUsage);
  const std::string& text = options.positional[0];
  long long year = 0;
  if (!ParseInt(text, -999999, 999999, year)) return ArgumentError("a year", text, args::Form::kWhole);
  if (year < kFirstYear || year > kLastYear)
    return UsageError("eclipses are computed from " + std::to_string(kFirstYear) + " to " + std::to_string(kLastYear) +
                      ", not " + text);
  Setting s;
  int status = kOk;
  if (!ReadSetting(run, options, s, status)) return status;
  JulianDay from = 0, to = 0;
  YearSpan(year, s, from, to);
  const std::vector<LunarEclipse> lunar = precise::LunarEclipses(from, to, s.place);
  const std::vector<SolarEclipse> solar = precise::SolarEclipses(from, to, s.place);
  if (!run.options.json) {
    for (const LunarEclipse& e : lunar) Print(LunarLine(e, s));
    for (const SolarEclipse& e : solar)
      if (e.sunUp) Print(SolarLine(e, s));
    return kOk;
  }
  Json lunarList = Json::array(), solarList = Json::array();
  for (const LunarEclipse& e : lunar) lunarList.push_back(LunarJson(e, s));
  for (const SolarEclipse& e : solar)
    if (e.sunUp) solarList.push_back(SolarJson(e, s));
  PrintJson({{"year", year},
             {"place", {{"longitude", s.place.longitude}, {"latitude", s.place.latitude}}},
             {"lunar", lunarList},
             {"solar", solarList}});
  return kOk;
}

const CommandRegistration kEclipses({"eclipses", "eclipses YEAR [--lon X] [--lat Y]",
                                     "the year's lunar eclipses and the solar eclipses seen from the place "
                                     "(default the settings' place), with their contacts on the zone's clock (JST by default), -1999-3000",
                                     RunEclipses, true});

}  // namespace
}  // namespace cli
