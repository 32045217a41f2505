// The sky panel of the main form: frame, chart, bodies, moon picture, status
// and clock lines and the readout, painted through a QPainter whose origin is
// the panel's anchor (form pixel (0, 270)). Nothing is clipped to the frame.
#pragma once

#include <QHash>
#include <QPolygon>
#include <QStaticText>
#include <string>

#include "astro/Model.h"
#include "astro/Moment.h"
#include "sky/Chart.h"
#include "sky/Labels.h"

class QFont;
class QPainter;
class QRect;

// What the panel reads from the view on each refresh.
struct SkyPanelInputs {
  // The selected moment, the observer's place and the astronomical model
  // (the precise one is named beside the chart, see ModelMarkRect).
  Moment at;
  // The azimuth the chart faces: south 0, west 90, north 180, east -90.
  double chartAzimuth = 0.0;
  bool showConstellations = true;
  bool showMansions = false;
  // The eclipse in progress under the readout (EclipseReadout): "eclipses=1".
  bool showEclipses = false;
  // The moon's light under its picture (moonlight=1).
  bool showMoonLight = false;
};

// What the panel keeps from one drawing to the next, owned by whoever draws
// it (the view keeps one): the number the status line shows, from 1 and one
// more per DrawSkyPanel, and the buffers the drawing reuses.
struct SkyPanelMemory {
  int redrawCount = 1;
  // The layouts of the fixed texts (names, labels), by their address;
  // dropped if they ever grow many.
  QHash<const char*, QStaticText> texts;
  QPolygon polygon;           // a run of chart lines drawn through QPainter
  ChartPolylines equatorial;  // the equatorial grid of the moment
};

// The whole panel for one refresh, the bodies from `ephemeris` (the model of in.at).
void DrawSkyPanel(QPainter& painter, const SkyPanelInputs& in, const Ephemeris& ephemeris, SkyPanelMemory& memory);

// What the panel draws at jd, its names placed (sky/Labels.h) clear of the
// bodies, of `readout` and of each other for the painter's `font`.
struct SkyPanelLayout {
  BodyMark marks[kChartBodyCount];
  SkyChartLayout chart;
  BodyLabelPlaces labels;
};
void LayoutSkyPanel(const QFont& font, double jd, const SkyPanelInputs& in, const Ephemeris& ephemeris,
                    const std::vector<ReadoutText>& readout, SkyPanelLayout& out);

// Parts of the panel alone for the moment jd (the names placed among
// themselves only).
void DrawGridAndBodies(QPainter& painter, double jd, const SkyPanelInputs& in, const Ephemeris& ephemeris);
void DrawSkyChart(QPainter& painter, double jd, const SkyPanelInputs& in, const Ephemeris& ephemeris);
void DrawMoonPicture(QPainter& painter, double jd, const Place& observer, const Ephemeris& ephemeris);
// The moon picture alone for a phase value P (0 new, 90 first quarter, ...).
void DrawMoonPhase(QPainter& painter, double phase);

// Where "計算方式 高精度" is written in the precise model, in panel
// coordinates for the painter's font: over nothing the panel or the form
// draws, in the form's free strip above the panel's top edge between the
// chart's right end and the month calendar's, under the form's buttons.
QRect ModelMarkRect(const QFont& font);
