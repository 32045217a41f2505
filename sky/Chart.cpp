#include "sky/Chart.h"

#include <cmath>

#include "astro/Coordinates.h"
#include "astro/Model.h"
#include "astro/Moon.h"
#include "astro/Planets.h"
#include "astro/Sun.h"
#include "astro/TimeScales.h"
#include "sky/Stars.h"

namespace {

constexpr double kRad = 0.017453292519943295;
constexpr double kTiny = 0.000001;

// The projection from the direction's forward component p (already negated
// for points below the horizon) and its rightward component q. The grid adds
// guards that keep its centre point finite; an object exactly at the centre
// (s == 0, where the position angle is 0/0) is placed at the centre.
ChartPoint ProjectDirection(double p, double q, bool grid, const ChartGeometry& g) {
  ChartPoint out;
  double s = std::sqrt(std::fabs(1.0 - p * p));
  if (grid && s < kTiny) s = kTiny;
  double theta = std::atan(s / p);
  double sinTheta;
  if (grid && theta > -kTiny && theta < kTiny) {
    theta = kTiny;
    sinTheta = std::sin(kTiny);
  } else {
    // sin(atan(s/p)) without a second transcendental call.
    sinTheta = std::copysign(s, p) / std::sqrt(p * p + s * s);
  }
  if (!grid && s == 0.0) {
    out.visible = std::isfinite(p);
    out.x = g.centreX;
    out.y = g.centreY;
    return out;
  }
  const double r = q / sinTheta;
  double t = std::sqrt(std::fabs(1.0 - r * r));
  if (t == 0.0) t = kTiny;
  // psi = atan(r / t), with t > 0 so cos psi > 0.
  const double u = r / t;
  double sinPsi, cosPsi;
  if (u > -kTiny && u < kTiny) {
    sinPsi = std::sin(kTiny);
    cosPsi = std::cos(kTiny);
  } else {
    const double n = std::sqrt(1.0 + u * u);
    sinPsi = u / n;
    cosPsi = 1.0 / n;
  }
  const double rho = theta / 3.14 * 180.0;
  out.x = g.centreX + g.scale * rho * sinPsi;
  out.y = g.centreY - g.scale * rho * cosPsi;
  out.visible = std::isfinite(out.x) && std::isfinite(out.y);
  return out;
}

// Relative azimuth a and altitude h to the direction's components.
ChartPoint ProjectRelative(double a, double h, bool grid, const ChartGeometry& g) {
  const bool below = grid ? (h <= 0.0) : (h < 0.0);
  const double cosH = std::cos(h * kRad);
  double p = cosH * std::cos(a * kRad);
  if (below) p = -p;
  return ProjectDirection(p, std::sin(a * kRad) * cosH, grid, g);
}

PixelPoint ToPixel(const ChartPoint& p) { return {TruncToPixel(p.x), TruncToPixel(p.y)}; }

void AppendRun(ChartPolylines& out, const std::vector<PixelPoint>& run) {
  if (run.size() < 2) return;
  out.starts.push_back(static_cast<int>(out.points.size()));
  out.points.insert(out.points.end(), run.begin(), run.end());
}

// Horizontal components of an equatorial direction for one moment and place,
// turned so that `forward` points at the chart's azimuth: the same angles as
// EquatorialToHorizontal followed by the projection's first steps, without
// the inverse trigonometry in between.
struct EquatorialFrame {
  double sinLst, cosLst, sinLat, cosLat, sinAz, cosAz;
  EquatorialFrame(JulianDay jd, double latitude, double longitude, double chartAzimuth) {
    const double lst = 15.0 * LocalSiderealTime(jd, longitude) * kRad;
    sinLst = std::sin(lst);
    cosLst = std::cos(lst);
    sinLat = std::sin(latitude * kRad);
    cosLat = std::cos(latitude * kRad);
    sinAz = std::sin(chartAzimuth * kRad);
    cosAz = std::cos(chartAzimuth * kRad);
  }
  // Unit vector of (ra, dec) given as cos/sin; returns visibility.
  ChartPoint Project(double cosRa, double sinRa, double cosDec, double sinDec,
                     const ChartGeometry& g) const {
    const double sinH = (sinLst * cosRa - cosLst * sinRa) * cosDec;
    const double cosH = (cosLst * cosRa + sinLst * sinRa) * cosDec;
    const double west = sinH;
    const double south = sinLat * cosH - cosLat * sinDec;
    const double up = cosLat * cosH + sinLat * sinDec;
    const double forward = south * cosAz + west * sinAz;
    const double right = west * cosAz - south * sinAz;
    if (!(forward >= 0.0)) return ChartPoint{};
    return ProjectDirection(up <= 0.0 ? -forward : forward, right, true, g);
  }
};

struct GridTables {
  double cosDeg[361], sinDeg[361];  // whole degrees 0..360
  GridTables() {
    for (int i = 0; i <= 360; ++i) {
      cosDeg[i] = std::cos(i * kRad);
      sinDeg[i] = std::sin(i * kRad);
    }
  }
  // -90..90 through the same table.
  double CosSigned(int d) const { return cosDeg[d < 0 ? -d : d]; }
  double SinSigned(int d) const { return d < 0 ? -sinDeg[-d] : sinDeg[d]; }
};

const GridTables& Tables() {
  static const GridTables tables;
  return tables;
}

}  // namespace

int TruncToPixel(double v) {
  if (!(v == v)) return 0;
  if (v > 1e6) return 1000000;
  if (v < -1e6) return -1000000;
  return static_cast<int>(v);
}

void ChartPolylines::Clear() {
  points.clear();
  starts.clear();
}

void SkyChartLayout::Clear() {
  dots.clear();
  figureLines.Clear();
  names.clear();
  mansions.clear();
  figures.clear();
}

ChartPoint ProjectToChart(double azimuth, double altitude, double chartAzimuth,
                          const ChartGeometry& geometry, ProjectionGuards guards) {
  const bool grid = guards == ProjectionGuards::Grid;
  double a = azimuth;
  if (!grid) {
    // A whole reduction rather than one add or subtract of 360, so that an
    // azimuth setting like 450 or -720 still faces the right way.
    a = std::fmod(azimuth - chartAzimuth, 360.0);
    if (a < 0.0) a += 360.0;
    if (!(a <= 90.0 || a >= 270.0) || !std::isfinite(altitude)) return ChartPoint{};
  }
  return ProjectRelative(a, altitude, grid, geometry);
}

double DiscHalfSize(double sizeValue, const ChartGeometry& geometry) {
  return sizeValue * geometry.sizeFactor * geometry.scale;
}

const ChartPolylines& HorizontalGridLines() {
  static const ChartPolylines lines = [] {
    ChartPolylines out;
    const ChartGeometry g;
    std::vector<PixelPoint> run;
    for (int h = -90; h <= 90; h += 10) {
      run.clear();
      for (int a = -90; a <= 90; a += 10) run.push_back(ToPixel(ProjectRelative(a, h, true, g)));
      AppendRun(out, run);
    }
    for (int a = -90; a <= 90; a += 10) {
      run.clear();
      for (int h = 90; h >= -90; h -= 10) run.push_back(ToPixel(ProjectRelative(a, h, true, g)));
      AppendRun(out, run);
    }
    return out;
  }();
  return lines;
}

void EquatorialGridLines(JulianDay jd, double latitude, double longitude, double chartAzimuth,
                         ChartPolylines& out) {
  out.Clear();
  const GridTables& t = Tables();
  const EquatorialFrame frame(jd, latitude, longitude, chartAzimuth);
  const ChartGeometry g;
  std::vector<PixelPoint> run;
  run.reserve(362);
  auto point = [&](int ra, int dec) {
    const ChartPoint p =
        frame.Project(t.cosDeg[ra], t.sinDeg[ra], t.CosSigned(dec), t.SinSigned(dec), g);
    if (p.visible) {
      run.push_back(ToPixel(p));
    } else {
      AppendRun(out, run);
      run.clear();
    }
  };
  for (int ra = 0; ra <= 360; ra += 10) {
    run.clear();
    for (int dec = -90; dec <= 90; ++dec) point(ra, dec);
    AppendRun(out, run);
  }
  for (int dec = -90; dec <= 90; dec += 10) {
    run.clear();
    for (int ra = 0; ra <= 360; ++ra) point(ra, dec);
    AppendRun(out, run);
  }
}

void LayoutSkyChart(JulianDay jd, double latitude, double longitude, double chartAzimuth,
                    bool showConstellations, bool showMansions, SkyChartLayout& out) {
  out.Clear();
  const ChartGeometry g;
  std::vector<PixelPoint> run;
  for (int c = 0; c < kConstellationCount; ++c) {
    const int first = FigureStarIndex[c];
    if (first < 1 || first > kFigureStarCount) continue;
    ChartPoint at[kMaxFigurePositions + 1];
    const double key = FigureStars[first - 1].constellation;
    for (int i = first - 1, n = 0;
         i < kFigureStarCount && n < kMaxFigurePositions && FigureStars[i].constellation == key;
         ++i, ++n) {
      const FigureStarRecord& star = FigureStars[i];
      double azimuth, altitude;
      EquatorialToHorizontal(jd, star.raThousandths / 1000.0 * 360.0 / 24.0,
                             star.decHundredths / 100.0, latitude, longitude, azimuth, altitude);
      const ChartPoint p = ProjectToChart(azimuth, altitude, chartAzimuth, g);
      if (!p.visible) continue;
      const double magnitude = star.magnitudeTenths / 10.0;
      const double half = DiscHalfSize((7.0 - magnitude) / 40.0, g);
      out.dots.push_back({ToPixel(p), p.x, p.y, half > 0.0 ? half : 0.0,
                          static_cast<int>(star.colourCode)});
      int positions[3];
      const int count = FigurePositions(star.figureCode, positions);
      for (int k = 0; k < count; ++k) at[positions[k]] = p;
    }
    run.clear();
    for (int pos = 1; pos <= kMaxFigurePositions && at[pos].visible; ++pos)
      run.push_back(ToPixel(at[pos]));
    FigureSpan span;
    span.dotsEnd = static_cast<int>(out.dots.size());
    if (!run.empty() && showConstellations) {
      span.name = static_cast<int>(out.names.size());
      out.names.push_back({run.front(), ConstellationNames[c]});
    }
    if (run.size() >= 2) {
      span.run = out.figureLines.RunCount();
      AppendRun(out.figureLines, run);
    }
    out.figures.push_back(span);
  }
  for (int i = 0; i < kMansionCount; ++i) {
    const MansionStarPlace star = *MansionStarPosition(jd, i);
    double azimuth, altitude;
    EquatorialToHorizontal(jd, star.rightAscension, star.declination, latitude, longitude, azimuth, altitude);
    const ChartPoint p = ProjectToChart(azimuth, altitude, chartAzimuth, g);
    if (p.visible && showMansions)
      out.mansions.push_back({{TruncToPixel(p.x - 2) + 5, TruncToPixel(p.y + 2) - 10}, star.mansion});
  }
}

const char* const BodyLabels[kChartBodyCount] = {"月", "水星", "金星", "太陽", "火星", "木星", "土星"};

void LayoutBodies(JulianDay jd, const Place& observer, double chartAzimuth, BodyMark marks[kChartBodyCount],
                  const Ephemeris& ephemeris) {
  static const int kBodyOf[kChartBodyCount] = {BodyMoon, BodyMercury, BodyVenus,  BodySun,
                                               BodyMars, BodyJupiter, BodySaturn};
  const ChartGeometry g;
  for (int i = 0; i < kChartBodyCount; ++i) {
    const int body = kBodyOf[i];
    const BodyPosition place = ephemeris.Position(body, jd, observer, true);
    const double size = body == BodyMoon || body == BodySun ? place.semiDiameter : 0.2;
    const ChartHorizon h = ephemeris.ChartPlace(place, jd, observer);
    const ChartPoint p = ProjectToChart(h.azimuth, h.altitude, chartAzimuth, g);
    marks[i] = {p.visible, p.x, p.y, DiscHalfSize(size, g)};
  }
}
