#include "astro/precise/DeltaT.h"

#include <algorithm>
#include <vector>

namespace precise {

namespace {

constexpr double kJulianDay2000 = 2451544.5;  // 2000-01-01 0:00
constexpr double kYearDays = 365.2425;

double YearOf(JulianDay jd) { return 2000.0 + (jd - kJulianDay2000) / kYearDays; }

// The Julian day of 0:00 of a Gregorian date.
double GregorianDay(int y, int m, int d) {
  const int a = (14 - m) / 12, yy = y + 4800 - a, mm = m + 12 * a - 3;
  return d + (153 * mm + 2) / 5 + 365 * yy + yy / 4 - yy / 100 + yy / 400 - 32045 - 0.5;
}

// c0 + c1 t + c2 t² + … by Horner's rule.
template <int N>
double Poly(double t, const double (&c)[N]) {
  double v = 0.0;
  for (int i = N - 1; i >= 0; --i) v = v * t + c[i];
  return v;
}

// The long-term parabolas: Espenak–Meeus's before −500, Stephenson, Morrison
// & Hohenkerk's (2016) after the record.
double EspenakMeeusParabola(double y) {
  const double u = (y - 1820.0) / 100.0;
  return -20.0 + 32.0 * u * u;
}
double LongTermParabola(double y) {
  const double u = (y - 1825.0) / 100.0;
  return -320.0 + 32.5 * u * u;
}
double LongTermSlope(double y) { return 2.0 * 32.5 * (y - 1825.0) / 1e4; }

// Espenak–Meeus before 1600.
double EspenakMeeus(double y) {
  if (y < -500.0) return EspenakMeeusParabola(y);
  if (y < 500.0)
    return Poly(y / 100.0, {10583.6, -1014.41, 33.78311, -5.952053, -0.1798452, 0.022174192, 0.0090316521});
  return Poly((y - 1000.0) / 100.0, {1574.2, -556.01, 71.23472, 0.319781, -0.8503463, -0.005050998, 0.0083572073});
}

// The cubic through (y0, v0) and (y1, v1) with slopes s0 and s1 there.
double Hermite(double y, double y0, double v0, double s0, double y1, double v1, double s1) {
  const double h = y1 - y0, t = (y - y0) / h, t2 = t * t, t3 = t2 * t;
  return (2 * t3 - 3 * t2 + 1) * v0 + (t3 - 2 * t2 + t) * h * s0 + (-2 * t3 + 3 * t2) * v1 + (t3 - t2) * h * s1;
}

struct RecordPoint {
  double year, seconds;
};

const std::vector<RecordPoint>& Record() {
  static const std::vector<RecordPoint> points = [] {
    std::vector<RecordPoint> p;
    for (const DeltaTRow& r : kDeltaTRecord) p.push_back({YearOf(GregorianDay(r.year, r.month, r.day)), r.seconds});
    return p;
  }();
  return points;
}

double Interpolated(const std::vector<RecordPoint>& r, double y) {
  auto next = std::upper_bound(r.begin(), r.end(), y, [](double v, const RecordPoint& p) { return v < p.year; });
  if (next == r.end()) return r.back().seconds;
  const RecordPoint& a = *(next - 1);
  return a.seconds + (next->seconds - a.seconds) * (y - a.year) / (next->year - a.year);
}

// The record's value and slope (seconds a year) over the year after its
// first row or before its last.
struct Edge {
  double year, seconds, slope;
};
Edge FirstEdge(const std::vector<RecordPoint>& r) {
  const double y = r.front().year;
  return {y, r.front().seconds, Interpolated(r, y + 1.0) - r.front().seconds};
}
Edge LastEdge(const std::vector<RecordPoint>& r) {
  const double y = r.back().year;
  return {y, r.back().seconds, r.back().seconds - Interpolated(r, y - 1.0)};
}

}  // namespace

double DeltaTSeconds(double y) {
  const std::vector<RecordPoint>& r = Record();
  constexpr double kBridgeFrom = 1600.0;
  if (y < kBridgeFrom) return EspenakMeeus(y);
  if (y < r.front().year) {
    const Edge e = FirstEdge(r);
    constexpr double h = 1e-3;
    const double slope = (EspenakMeeus(kBridgeFrom) - EspenakMeeus(kBridgeFrom - h)) / h;
    return Hermite(y, kBridgeFrom, EspenakMeeus(kBridgeFrom), slope, e.year, e.seconds, e.slope);
  }
  if (y <= r.back().year) return Interpolated(r, y);
  if (y < kDeltaTJoinYear) {
    const Edge e = LastEdge(r);
    return Hermite(y, e.year, e.seconds, e.slope, kDeltaTJoinYear, LongTermParabola(kDeltaTJoinYear),
                   LongTermSlope(kDeltaTJoinYear));
  }
  return LongTermParabola(y);
}

double DeltaTAt(JulianDay ut) { return DeltaTSeconds(YearOf(ut)); }

double TerrestrialTime(JulianDay ut) { return ut + DeltaTAt(ut) / 86400.0; }

}  // namespace precise
