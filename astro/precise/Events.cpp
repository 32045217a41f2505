#include "astro/precise/Events.h"

#include "astro/precise/EventTable.h"

#include <cmath>
#include <map>

#include <erfam.h>

#include "astro/Search.h"
#include "astro/Sun.h"
#include "astro/precise/DeltaT.h"
#include "astro/precise/EventAngles.h"

namespace precise {

const Motion kSunMotion = {SunLongitudeFitted, SunLongitude, SunFitSuffices, 360.0 / 365.2422, 2.0};
const Motion kMoonMotion = {MoonElongationFitted, MoonElongation, MoonFitSuffices, 360.0 / 29.530589, 2.0};

namespace {

// Rise, set and transit are found to this (days): 0.05 s.
constexpr double kMomentTolerance = 0.05 / 86400.0;
// Terms and phases on the searched angle to a tenth of a millisecond (a few
// steps of the Julian day's resolution): a found moment then lies within a
// fraction of a millisecond of the searched angle's crossing.
constexpr double kEventTolerance = 0.0001 / 86400.0;
// Refraction at the horizon, 35'08", in degrees.
constexpr double kRefraction = (35.0 + 8.0 / 60.0) / 60.0;
// Local days are sampled this many times for rise, set and transit (every
// 20 minutes of a 24-hour day).
constexpr int kSamples = 72;

double Wrap180(double degrees) {
  double d = std::fmod(degrees, 360.0);
  if (d > 180.0) d -= 360.0;
  if (d <= -180.0) d += 360.0;
  return d;
}

double Wrap360(double degrees) {
  const double d = std::fmod(degrees, 360.0);
  return d < 0.0 ? d + 360.0 : d;
}

double Offset(double (*angle)(JulianDay), double target, JulianDay t) { return Wrap180(angle(t) - target); }

// The crossing of `target` by `angle` in [from, to] (either order), when
// the angle's offset from it changes sign there.
std::optional<JulianDay> CrossingIn(double (*angle)(JulianDay), double target, JulianDay from, JulianDay to,
                                    double fromOffset, double toOffset) {
  const auto offset = [&](JulianDay t) { return Wrap180(angle(t) - target); };
  return FindRoot(offset, {from, to, fromOffset, toOffset}, IllinoisRule(kEventTolerance)).root;
}

// A moment found on the searched angle, moved onto the exact one where they
// may differ by more than a few hundredths of a second. This is no search:
// the two crossings lie seconds apart at most and the searched angle's rate
// is the exact one's to a millionth, so one Newton step with that rate lands
// within a millisecond of the exact crossing, for one exact place (a
// bracket on the exact angle would take three or four, and an exact place
// costs as much as twenty-five searched ones).
JulianDay OntoExactAngle(const Motion& m, double target, JulianDay moment) {
  if (m.angleSuffices(moment)) return moment;
  constexpr double h = 1e-3;
  const double rate = Wrap180(m.angle(moment + h) - m.angle(moment - h)) / (2.0 * h);
  return moment - Offset(m.exact, target, moment) / rate;
}

// The crossing of `target` on the searched angle near `estimate` within
// [lowest, highest]: in a bracket that starts at estimate ± slack (the mean
// rate's bound on how far the crossing lies) and moves by slack towards the
// side the crossing lies on.
std::optional<JulianDay> FindNear(const Motion& m, double target, JulianDay estimate, JulianDay lowest,
                                  JulianDay highest) {
  double lo = std::fmax(lowest, estimate - m.slack), hi = std::fmin(highest, estimate + m.slack);
  if (!(lo < hi)) return std::nullopt;
  double glo = Offset(m.angle, target, lo), ghi = Offset(m.angle, target, hi);
  for (int i = 0; i < 40; ++i) {
    if (glo < 0.0 && ghi >= 0.0) return CrossingIn(m.angle, target, lo, hi, glo, ghi);
    if (ghi < 0.0) {  // still short of the target: later
      if (hi >= highest) return std::nullopt;
      lo = hi, glo = ghi;
      hi = std::fmin(highest, hi + m.slack);
      ghi = Offset(m.angle, target, hi);
    } else if (glo >= 0.0) {  // already past it: earlier
      if (lo <= lowest) return std::nullopt;
      hi = lo, ghi = glo;
      lo = std::fmax(lowest, lo - m.slack);
      glo = Offset(m.angle, target, lo);
    } else {
      return std::nullopt;  // NaN
    }
  }
  return std::nullopt;
}

// One body's apparent place over a local day (23 to 25 hours where the clock
// changes), from five exact places by Lagrange's formula: the error stays
// below a milliarcsecond for the moon.
class DaySky {
 public:
  DaySky(JulianDay start, JulianDay end, double latitude, double longitude)
      : start_(start), length_(end - start), latitude_(latitude), longitude_(longitude),
        frame_(FrameAt(start + length_ / 2.0)) {
    deltaT_ = frame_.tt - frame_.ut;
    for (int k = 0; k < 5; ++k) earth_[k] = EarthAt(NodeTime(k) + deltaT_);
    // The observer's distance from the axis and from the equator's plane.
    const Vec3 zero = ObserverPlace(latitude, 0.0);
    axis_ = zero[0], height_ = zero[2];
  }

  // The day's length in days, and the k-th of the five places' moments
  // after its start.
  double Length() const { return length_; }
  double NodeOffset(int k) const { return k * length_ / 4.0; }
  Vec3 Node(int body, int k) const { return ApparentPlace(body, NodeTime(k), frame_, earth_[k]); }
  double Sidereal(double t) const {
    const JulianDay ut = start_ + t;
    return LocalSiderealDegrees(ut, ut + deltaT_, longitude_, frame_);
  }
  Vec3 Observer(double sidereal) const {
    const double theta = sidereal * (M_PI / 180.0);
    return {axis_ * std::cos(theta), axis_ * std::sin(theta), height_};
  }
  double Latitude() const { return latitude_; }

 private:
  JulianDay NodeTime(int k) const { return start_ + NodeOffset(k); }

  JulianDay start_;
  double length_;
  double latitude_, longitude_;
  Frame frame_;
  double deltaT_ = 0.0;
  EarthState earth_[5];
  double axis_ = 0.0, height_ = 0.0;
};

class BodyDay {
 public:
  // `centreAltitude`: the altitude of the centre searched for in place of
  // the rise and set convention's horizon.
  BodyDay(const DaySky& sky, int body, std::optional<double> centreAltitude)
      : sky_(sky), body_(body), centreAltitude_(centreAltitude) {
    for (int k = 0; k < 5; ++k) nodes_[k] = sky.Node(body, k);
  }

  // Altitude of the centre minus the altitude at which the convention's
  // limb touches the horizon (or minus the centre's altitude asked for).
  double AboveHorizon(double t) const {
    double sidereal;
    const Vec3 p = Topocentric(t, sidereal);
    double azimuth, altitude;
    Horizontal(p, sky_.Latitude(), sidereal, azimuth, altitude);
    return altitude - (centreAltitude_ ? *centreAltitude_ : HorizonAltitude(p));
  }

  // Hour angle of the topocentric place, −180 to 180.
  double HourAngle(double t) const {
    double sidereal, ra, dec;
    EquatorialOfDate(Topocentric(t, sidereal), ra, dec);
    return Wrap180(sidereal - ra);
  }

 private:
  Vec3 Geocentric(double t) const {
    Vec3 v{0.0, 0.0, 0.0};
    for (int k = 0; k < 5; ++k) {
      double w = 1.0;
      for (int j = 0; j < 5; ++j)
        if (j != k) w *= (t - sky_.NodeOffset(j)) / (sky_.NodeOffset(k) - sky_.NodeOffset(j));
      for (int i = 0; i < 3; ++i) v[i] += w * nodes_[k][i];
    }
    return v;
  }

  Vec3 Topocentric(double t, double& sidereal) const {
    sidereal = sky_.Sidereal(t);
    const Vec3 g = Geocentric(t), o = sky_.Observer(sidereal);
    return {g[0] - o[0], g[1] - o[1], g[2] - o[2]};
  }

  double HorizonAltitude(const Vec3& p) const {
    const double d = Length(p);
    if (body_ == BodySun) return -kRefraction - kSunSemidiameterAt1Au / 3600.0 / d;
    if (body_ == BodyMoon) return -kRefraction - std::asin(kMoonRadiusKm * 1000.0 / ERFA_DAU / d) * 180.0 / M_PI;
    return -kRefraction;
  }

  const DaySky& sky_;
  int body_;
  std::optional<double> centreAltitude_;
  Vec3 nodes_[5];
};

// The first crossing of zero in the day sampled every `step` days, upwards
// or downwards, as hours after its start; none when there is none (or its
// search does not converge). `near`
// limits the values taken for a crossing (the hour angle jumps at ±180).
template <class F>
std::optional<double> FirstCrossing(F f, const double (&samples)[kSamples + 1], double step, bool upwards,
                                    double near) {
  for (int i = 0; i < kSamples; ++i) {
    const double a = samples[i], b = samples[i + 1];
    const bool crosses = upwards ? (a < 0.0 && b >= 0.0) : (a > 0.0 && b <= 0.0);
    if (!crosses || std::fabs(a) > near || std::fabs(b) > near) continue;
    const RootResult found = FindRoot(f, {i * step, (i + 1) * step, a, b}, IllinoisRule(kMomentTolerance));
    if (!found.root) return std::nullopt;
    return *found.root * 24.0;
  }
  return std::nullopt;
}

// The day's first crossings of the body's horizon upwards and downwards, the
// day `length` days long.
DayTimes HorizonCrossings(const BodyDay& day, double length) {
  const double step = length / kSamples;
  double height[kSamples + 1];
  for (int i = 0; i <= kSamples; ++i) height[i] = day.AboveHorizon(i * step);
  auto above = [&day](double t) { return day.AboveHorizon(t); };
  return {FirstCrossing(above, height, step, true, 1e9), std::nullopt, FirstCrossing(above, height, step, false, 1e9)};
}

DayTimes TimesOf(const BodyDay& day, double length) {
  DayTimes times = HorizonCrossings(day, length);
  const double step = length / kSamples;
  double hourAngle[kSamples + 1];
  for (int i = 0; i <= kSamples; ++i) hourAngle[i] = day.HourAngle(i * step);
  auto angle = [&day](double t) { return day.HourAngle(t); };
  times.transit = FirstCrossing(angle, hourAngle, step, true, 90.0);
  return times;
}

}  // namespace

std::optional<JulianDay> CrossingBetween(const Motion& m, double target, JulianDay from, JulianDay to) {
  const double a = Offset(m.angle, target, from), b = Offset(m.angle, target, to);
  if (!(a < 0.0 && b >= 0.0)) return std::nullopt;
  const std::optional<JulianDay> found = CrossingIn(m.angle, target, from, to, a, b);
  if (!found) return std::nullopt;
  const JulianDay moment = OntoExactAngle(m, target, *found);
  if (!(from <= moment && moment <= to)) return std::nullopt;
  return moment;
}

namespace {

// Every event at a multiple of `spacing` in [from, to), in time order. The
// search begins a little before `from`, since a moment that the searched
// angle puts just before it may be just after it on the exact angle (their
// crossings differ by seconds at most), and a moment beyond `to` by more
// than that margin is not corrected. Near the end of the span, the angle at
// its end tells when no target is left in it, once the angle cannot have
// turned by half a circle since the last event (the rates stay within 1.3
// times the mean).
std::vector<AngleEvent> EventsBetween(const Motion& m, double spacing, JulianDay from, JulianDay to) {
  constexpr double kMargin = 0.01;  // days
  std::vector<AngleEvent> events;
  const JulianDay begin = from - kMargin, end = to + kMargin;
  const double start = m.angle(begin);
  const double halfTurn = 180.0 / (1.3 * m.rate);
  std::optional<double> last;  // the angle at `end`, asked for when the estimate comes near it
  double target = Wrap360(spacing * (std::floor(start / spacing) + 1.0));
  JulianDay estimate = begin + Wrap360(target - start) / m.rate, lowest = begin, previous = begin;
  while (estimate - m.slack < to) {
    if (estimate + m.slack >= to && end - previous < halfTurn) {
      if (!last) last = m.angle(end);
      if (Wrap180(*last - target) < 0.0) break;
    }
    const std::optional<JulianDay> near = FindNear(m, target, estimate, lowest, to + m.slack);
    if (!near || *near >= end) break;
    const JulianDay moment = OntoExactAngle(m, target, *near);
    if (moment >= to) break;
    if (moment >= from) events.push_back({moment, target});
    previous = moment;
    lowest = moment + spacing / m.rate / 2.0;
    estimate = moment + spacing / m.rate;
    target = Wrap360(target + spacing);
  }
  return events;
}

}  // namespace

std::vector<AngleEvent> SearchBlock(const Motion& m, double step, long long block) {
  const JulianDay start = kEventBlockEpoch + static_cast<double>(block) * kEventBlockDays;
  return EventsBetween(m, step, start, start + kEventBlockDays);
}

namespace {

// The events of one motion found so far, at multiples of its step, kept by
// blocks of days fixed in time. The main window asks about the days around
// the selected one again and again (the term of the day, the solstices, the
// last new moon, the year's lists), and each event costs a few exact places;
// so each is found once. Each block is always searched from its own start,
// so an event's moment never depends on what was asked before it.
class EventMemo {
 public:
  EventMemo(const Motion& m, double step) : m_(m), step_(step) {}

  double Step() const { return step_; }
  void Forget() { blocks_.clear(); }

  std::vector<AngleEvent> Between(JulianDay from, JulianDay to) {
    if (!(from < to) || !std::isfinite(from) || !std::isfinite(to)) return {};
    const double first = BlockOf(from), last = BlockOf(to);
    std::vector<AngleEvent> out;
    if (last - first > kMaxBlocks) return out;  // no caller asks for centuries
    if (blocks_.size() > kMaxBlocks) blocks_.clear();
    for (double k = first; k <= last; ++k) {
      auto found = blocks_.find(k);
      if (found == blocks_.end()) found = blocks_.emplace(k, BlockEvents(k)).first;
      for (const AngleEvent& e : found->second)
        if (e.moment >= from && e.moment < to) out.push_back(e);
    }
    return out;
  }

 private:
  static constexpr std::size_t kMaxBlocks = 4096;

  static double BlockOf(JulianDay t) { return std::floor((t - kEventBlockEpoch) / kEventBlockDays); }

  // From the table of events found ahead of time where it holds the block.
  std::vector<AngleEvent> BlockEvents(double k) const {
    const long long block = static_cast<long long>(k);
    const TabledMotion motion = &m_ == &kSunMotion ? TabledMotion::kSunTerms : TabledMotion::kMoonPhases;
    if (std::optional<std::vector<AngleEvent>> tabled = TabledEvents(motion, block)) return *std::move(tabled);
    return SearchBlock(m_, step_, block);
  }

  const Motion& m_;
  double step_;
  std::map<double, std::vector<AngleEvent>> blocks_;
};

// One memo per thread: the found events are pure results of the moment, so
// threads need not share them.
EventMemo* MemoFor(const Motion& m) {
  thread_local EventMemo sun(kSunMotion, 15.0), moon(kMoonMotion, 90.0);
  if (&m == &kSunMotion) return &sun;
  if (&m == &kMoonMotion) return &moon;
  return nullptr;
}

bool IsMultiple(double value, double step) { return std::fmod(value, step) == 0.0; }

}  // namespace

std::vector<AngleEvent> Crossings(const Motion& m, double spacing, double offset, JulianDay from, JulianDay to,
                                  int limit) {
  std::vector<AngleEvent> all;
  EventMemo* memo = MemoFor(m);
  if (memo && IsMultiple(spacing, memo->Step()) && IsMultiple(offset, memo->Step())) {
    all = memo->Between(from, to);
  } else if (offset == 0.0) {
    all = EventsBetween(m, spacing, from, to);
  } else {
    return {};  // no caller asks for such a set
  }
  std::vector<AngleEvent> events;
  for (const AngleEvent& e : all) {
    if (static_cast<int>(events.size()) >= limit) break;
    if (IsMultiple(Wrap360(e.angle - offset), spacing)) events.push_back(e);
  }
  return events;
}

void ForgetFoundEvents() {
  MemoFor(kSunMotion)->Forget();
  MemoFor(kMoonMotion)->Forget();
  ForgetEarthFits();
}

DayTimes SunThroughAltitude(double altitude, JulianDay dayStart, JulianDay dayEnd, double latitude,
                            double longitude) {
  const DaySky sky(dayStart, dayEnd, latitude, longitude);
  return HorizonCrossings(BodyDay(sky, BodySun, altitude), sky.Length());
}

void RiseTransitSetAll(JulianDay dayStart, JulianDay dayEnd, double latitude, double longitude,
                       DayTimes (&out)[7]) {
  const DaySky sky(dayStart, dayEnd, latitude, longitude);
  for (int body = 0; body < 7; ++body) out[body] = TimesOf(BodyDay(sky, body, std::nullopt), sky.Length());
}

}  // namespace precise
