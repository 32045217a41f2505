// The two astronomical models behind one interface. The design's formulas
// (the functions of the other astro headers) and the precise model (ERFA,
// astro/precise/) answer the same questions with results of the same shape;
// a caller is handed one Ephemeris and never picks again. An event that does
// not happen is an empty optional, never a special time. The tides keep the
// design's formulas in both models (their harmonic constants belong to
// them), so they are not asked through here.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "astro/Moment.h"
#include "astro/Sun.h"
#include "astro/TermsPhases.h"
#include "astro/precise/Validity.h"

// The moments, in hours of a local day's clock, that the sun passes an
// altitude upwards and downwards; none where it does not that day.
struct SunCrossings {
  std::optional<double> up;
  std::optional<double> down;
};

// Where the sky chart draws a body: azimuth from the south, positive
// westward, and altitude without refraction, in degrees.
struct ChartHorizon {
  double azimuth = 0.0;
  double altitude = 0.0;
};

// The model named by a settings value: "precise" or anything else (design).
AstroModel AstroModelFromText(const std::string& text);
const char* AstroModelText(AstroModel model);

class Ephemeris {
 public:
  virtual ~Ephemeris() = default;
  virtual AstroModel Model() const = 0;

  // A body's place at jd seen from `observer` (the moon topocentric when
  // asked).
  virtual BodyPosition Position(int body, JulianDay jd, const Place& observer, bool topocentric) const = 0;

  // Rise, meridian transit and set on the local day of `on` holding jd, in
  // hours of that clock.
  virtual std::optional<double> RiseTime(int body, JulianDay jd, const Place& observer, const DateClock& on) const = 0;
  virtual std::optional<double> SetTime(int body, JulianDay jd, const Place& observer, const DateClock& on) const = 0;
  virtual std::optional<double> TransitTime(int body, JulianDay jd, const Place& observer,
                                            const DateClock& on) const = 0;
  // The same searches as rise and set for the sun's centre at `altitude`
  // degrees (no refraction; -6 civil, -12 nautical, -18 astronomical
  // twilight): its crossing upwards (dawn) and downwards (dusk) on the day.
  virtual SunCrossings SunThrough(double altitude, JulianDay jd, const Place& observer,
                                  const DateClock& on) const = 0;

  // The day's signs, read on the list clock `lists` (dates of the year's
  // lists).
  virtual SolarTermDay SolarTermOfDay(double year, double month, double day, const DateClock& lists) const = 0;
  // Whole days since the last 立春: 0 on its day.
  virtual std::optional<int> DaysSinceSpringBegins(double year, double month, double day,
                                                   const DateClock& lists) const = 0;
  virtual std::optional<SunDegree> SunDegreeOfDay(double year, double month, double day,
                                                  const DateClock& lists) const = 0;
  // Noon of the two cycle-opening days (甲子) nearest the two solstices around jd.
  virtual MomentPair SolsticeCycleStartDays(JulianDay jd, const DateClock& lists) const = 0;
  // The new moons of the 40 days up to jd's day.
  virtual MomentPair RecentNewMoons(JulianDay jd, const DateClock& lists) const = 0;

  // The events of a kind on 1 January of `year` and the `lastDay` days after
  // it (dates on `lists`, cut to kMaxListDays), in time order, each once.
  virtual std::vector<AngleEvent> YearEvents(EventKind kind, double year, int lastDay,
                                             const DateClock& lists) const = 0;

  // Where the chart draws a body of `place`, Position's topocentric answer
  // at jd: the design's chart works the horizon out again from the
  // equatorial place the body's record shows, the precise model keeps the
  // horizon place it computed (apparent sidereal time).
  virtual ChartHorizon ChartPlace(const BodyPosition& place, JulianDay jd, const Place& observer) const = 0;

  // The model's series that an answer using them over [from, to] (Universal
  // Time Julian days) takes outside their validated spans, the earth's before
  // the planets'; none when every series stays inside, and never in the
  // design's model, whose formulas claim no span.
  virtual std::vector<precise::SeriesWarning> SeriesWarnings(JulianDay from, JulianDay to) const = 0;
  // ΔT in seconds that the model's answers take at a Universal Time moment,
  // where the model names one (the precise model's); none in the design's.
  virtual std::optional<double> DeltaT(JulianDay ut) const = 0;
};

// The model's ephemeris; each lives for the whole run and keeps no state a
// caller can see.
const Ephemeris& EphemerisOf(AstroModel model);

// A year's events of a kind as records with their dates on `lists` and their
// names: the one way the lists, the year list, the data window, the
// iCalendar writer and the CLI get them.
std::vector<CalendarEvent> YearEventTable(const Ephemeris& ephemeris, EventKind kind, double year, int lastDay,
                                          const DateClock& lists);
// The last day of `year` as a count of days after its 1 January (364 or 365;
// the Julian-to-Gregorian year 1582 is shorter), for the lists of one year;
// none for a year the clock cannot date.
std::optional<int> LastDayOfYear(double year, const DateClock& lists);
// The year's own events of a kind, 1 January to 31 December (none for a year
// the clock cannot date): the commands that list a year.
std::vector<CalendarEvent> EventsOfYear(const Ephemeris& ephemeris, EventKind kind, double year,
                                        const DateClock& lists);

// A window's request for a year's events (the year list's two lists, the data
// window's yearly file).
struct YearEventRequest {
  EventKind kind = EventKind::MoonPhases;
  double year = 0;
  int lastDay = kYearEventDays;
};

// Who answers those requests: the main view, in the model and calendar it shows.
class YearEventSource {
 public:
  virtual ~YearEventSource() = default;
  virtual std::vector<CalendarEvent> AnswerListRequest(const YearEventRequest& request) = 0;
};
