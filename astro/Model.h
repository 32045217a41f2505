// The two astronomical models and the operations that differ between them.
// The design's formulas (the default) are the functions of the other astro
// headers; the precise model (ERFA, astro/precise/) answers the same
// questions with the same results and no-event values. Callers that show a
// place, an event or a time come through here with the model they were
// given; the tides keep the design's formulas in both (their harmonic
// constants belong to them).
#pragma once

#include <string>

#include "astro/Moment.h"
#include "astro/Sun.h"
#include "astro/TermsPhases.h"

// The model named by a settings value: "precise" or anything else (design).
AstroModel AstroModelFromText(const std::string& text);
const char* AstroModelText(AstroModel model);

// A body's place into its record as SunPosition, MoonPosition (topocentric
// when asked) and PlanetPosition fill it, seen from `observer`; the sun's
// record is refreshed too, as those do.
void BodyPlace(AstroModel model, int body, JulianDay jd, BodyPosition& record, const Place& observer,
               bool topocentric = true);

double RiseTime(AstroModel model, JulianDay jd, int body, const Place& observer);
double SetTime(AstroModel model, JulianDay jd, int body, const Place& observer);
double TransitTime(AstroModel model, JulianDay jd, int body, const Place& observer);

void SolarTermOfDay(AstroModel model, double year, double month, double day, std::string& name,
                    double& longitude);
int DaysSinceSpringBegins(AstroModel model, double year, double month, double day);
double SunDegreeOfDay(AstroModel model, double year, double month, double day, double& julianDay);
void SolsticeCycleStartDays(AstroModel model, double julianDay, double& first, double& second);
void RecentNewMoons(AstroModel model, double julianDay, double& first, double& second);
int ListMoonPhases(AstroModel model, double jd0, double n);
int ListSolarTerms(AstroModel model, double jd0, double n);
int BuildMoonPhaseTable(AstroModel model, double year, double n);
int BuildSolarTermTable(AstroModel model, double year, double n);

// One year's events of a kind, built for `days` days from 1 January of `year`
// and copied into out[0 .. count), which has room for kEventTableSize
// records; returns the count. The one way every window and the CLI get a
// year's events.
int YearEventTable(AstroModel model, EventKind kind, double year, double days, CalendarEvent* out);

// A window's request for a year's events (the year list's two lists, the data
// window's yearly file).
struct YearEventRequest {
  EventKind kind = EventKind::MoonPhases;
  double year = 0;
  double days = kYearEventDays;
};

// Who answers those requests: the main view, in the model it shows. The
// events go into the asker's own out[0 .. count) (room for kEventTableSize).
class YearEventSource {
 public:
  virtual ~YearEventSource() = default;
  virtual int AnswerListRequest(const YearEventRequest& request, CalendarEvent* out) = 0;
};
