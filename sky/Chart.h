// The sky chart's geometry and projection, and the Qt-free layout of what the
// chart draws: the two grids, the figure stars with their lines and names, the
// mansion names and the bodies. The ui layer only paints these.
#pragma once

#include <vector>

#include "astro/Model.h"
#include "astro/Moment.h"

// Fixed drawing parameters of the chart.
struct ChartGeometry {
  double centreX = 250.0;    // pixel column of the chart centre
  double centreY = 230.0;    // pixel row of the centre, the horizon point faced
  double scale = 2.5;        // pixels per degree from the centre
  double sizeFactor = 8.0;   // multiplies a disc's size value
};

struct ChartPoint {
  bool visible = false;
  double x = 0.0;
  double y = 0.0;
};

// Objects (stars, bodies) use the plain projection; grid points take the
// grid's extra guards (h <= 0 branch, s and theta never zero).
enum class ProjectionGuards { Object, Grid };

// Azimuth and altitude (degrees, azimuth from the south, westward positive) to
// chart pixels for a chart facing `chartAzimuth`. Points more than 90 degrees
// from the facing direction are not visible; there is no altitude test.
ChartPoint ProjectToChart(double azimuth, double altitude, double chartAzimuth,
                          const ChartGeometry& geometry = ChartGeometry(),
                          ProjectionGuards guards = ProjectionGuards::Object);

// Half-size in pixels of a disc of the given size value (degrees).
double DiscHalfSize(double sizeValue, const ChartGeometry& geometry = ChartGeometry());

// Pixel positions truncated towards zero, as the drawing calls take them.
struct PixelPoint {
  int x = 0;
  int y = 0;
};
// Truncation towards zero that stays defined for NaN and huge values.
int TruncToPixel(double v);

// Polylines, flattened: run i covers points[starts[i] .. starts[i+1]).
struct ChartPolylines {
  std::vector<PixelPoint> points;
  std::vector<int> starts;
  void Clear();
  int RunCount() const { return static_cast<int>(starts.size()); }
};

// The altitude-azimuth grid, in relative azimuth: the same for every moment.
const ChartPolylines& HorizontalGridLines();
// The right ascension / declination grid at jd for the observer, chart facing
// chartAzimuth. Only visible runs are kept.
void EquatorialGridLines(JulianDay jd, double latitude, double longitude, double chartAzimuth,
                         ChartPolylines& out);

struct StarDot {
  PixelPoint centre;     // truncated projected point
  double x = 0.0;        // projected point
  double y = 0.0;
  double halfSize = 0.0;
  int colourCode = 0;
};
struct ChartLabel {
  PixelPoint topLeft;
  const char* text = "";
};
// One constellation's share of the layout: its dots end at dotsEnd; run and
// name index its figure line and name, -1 when it has none.
struct FigureSpan {
  int dotsEnd = 0;
  int run = -1;
  int name = -1;
};
// Everything DrawSkyChart paints, in painting order per constellation.
struct SkyChartLayout {
  std::vector<StarDot> dots;
  ChartPolylines figureLines;          // red figure lines
  std::vector<ChartLabel> names;       // constellation names at position 1
  std::vector<ChartLabel> mansions;    // red mansion names
  std::vector<FigureSpan> figures;     // constellations with a figure, in order
  void Clear();
};
void LayoutSkyChart(JulianDay jd, double latitude, double longitude, double chartAzimuth,
                    bool showConstellations, bool showMansions, SkyChartLayout& out);

// The bodies in display order: moon, Mercury, Venus, sun, Mars, Jupiter,
// Saturn.
inline constexpr int kChartBodyCount = 7;
extern const char* const BodyLabels[kChartBodyCount];
struct BodyMark {
  bool visible = false;
  double x = 0.0;
  double y = 0.0;
  double halfSize = 0.0;
};
// Computes the seven bodies for jd and projects them as seen from `observer`.
void LayoutBodies(JulianDay jd, const Place& observer, double chartAzimuth, BodyMark marks[kChartBodyCount],
                  const Ephemeris& ephemeris);
