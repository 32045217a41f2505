// The content of the main form's day information panel and of its four lists,
// computed without any window: the view copies these texts into its controls.
// The members carry the view's names, so the window class only moves them.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "almanac/DayReport.h"
#include "astro/EclipseDays.h"
#include "astro/Model.h"
#include "astro/Moment.h"
#include "core/Conf.h"

struct DayPanel {
  // The moment the panel was filled for: its calendar rule, zone and model
  // rule every search of the panel and its lists.
  Moment m_at;

  // The form's date texts as typed or written by the view ("%4.0f", "%2.0f",
  // "%2.0f", "%2.1f"); the computation reads them as the view does.
  std::string m_strYear;
  std::string m_strMonth;
  std::string m_strDay;
  std::string m_strHour;
  // The view's own copy of the selected date, read from the texts.
  double m_dYear = 0;
  double m_dMonth = 0;
  double m_dDay = 0;

  // The panel's fields (control ids of the form in the comments).
  std::string m_strWeekday;         // 1009 曜日
  std::string m_strSixDaySign;      // 1010 六曜
  std::string m_strEra;             // 1012 和暦
  std::string m_strImperialYear;    // 1013 神武天皇即位紀元
  std::string m_strMonthName;       // 1014 和名月
  std::string m_strLunarDate;       // 1015 旧暦
  std::string m_strSexagenary;      // 1016 干支
  std::string m_strSolarTerm;       // 1017 二十四節季
  std::string m_strSolarLongitude;  // 1018 黄経
  std::string m_strPentadName;      // 1019 七十二候
  std::string m_strPentadText;      // 1020
  std::string m_strMoonAge;         // 1024 月齢
  std::string m_strNineStar;        // 1022 九星
  std::string m_strMansion;         // 1023 二十八宿
  std::string m_strSoundSign;       // 1025 納音
  std::string m_strTwelveDaySign;   // 1026 十二直

  // The numbers the fields are formatted from, and the observance lists
  // computed from.
  DayReport m_report;

  // The events behind the phase and term lists, dates on the list clock.
  std::vector<CalendarEvent> m_phaseEvents;
  std::vector<CalendarEvent> m_termEvents;

  // The eclipses behind the 暦注 list's eclipse items (filled with them, see
  // FillSeasonalDays), dated on the place's clock.
  eclipses::DayEclipses m_eclipses;

  // The four lists, item texts in order.
  std::vector<std::string> m_listSelectedDays;  // 1029 "下段"
  std::vector<std::string> m_listSeasonalDays;  // 1030 "暦注"
  std::vector<std::string> m_listPhases;        // 1027 "月のこよみ"
  std::vector<std::string> m_listTerms;         // 1028 "二十四節季"

  // What FillSeasonalDays found doubtful in the anniversaries file (see
  // ReadAnniversaryFile), empty when nothing; the programs tell the user once.
  std::string m_strAnniversaryWarning;
};

// A form text read as a number, as the view reads it: atof of at most its
// first nine characters (so a runaway text cannot overflow anything).
double ReadFormNumber(const std::string& text);
// Writes the date texts as the view does: "%4.0f", "%2.0f", "%2.0f", and the
// hour as HourFieldText ("%2.1f", never 24.0).
void WriteFormDate(DayPanel& panel, double year, double month, double day, double hour);

// The moment the form names: its year, month and day texts and `hourText`,
// each read with ReadFormNumber, with the place, calendar rule, zone and
// model of `settings`.
Moment ReadFormMoment(const DayPanel& panel, const std::string& hourText, const Moment& settings);

// Computes the day's report for the moment and formats the sixteen fields
// from it (the view's copy m_dYear .. m_dDay takes its date). Opens the
// calendar database once; its engine error (CDaoException) ends the fill:
// the fields the panel shows above and with the era are written once the era
// is known, and the fields not yet written keep their previous texts.
void FillDayPanel(DayPanel& panel, const Moment& at, const Ephemeris& ephemeris, const std::string& databasePath);
// The selected-day list ("下段"), from the report FillDayPanel left.
void FillSelectedDays(DayPanel& panel);
// The additions the 暦注 list may show, each off unless ombrel.conf turns it
// on: the national holiday ("holidays=1") and the day's eclipses ("eclipses=1").
struct DayAdditions {
  bool holiday = false;
  bool eclipses = false;
  bool moonLight = false;  // the readout's line of the moon's light
};
DayAdditions ShownAdditions(const Conf& conf);

// The anniversaries and seasonal days ("暦注"), from the report FillDayPanel
// left; the anniversaries file is read anew on every call (its warning into
// m_strAnniversaryWarning). With `additions.holiday` the day's national
// holiday comes first, then with `additions.eclipses` the day's eclipses
// (eclipses::ListItem, their numbers in m_eclipses, on the place's clock).
void FillSeasonalDays(DayPanel& panel, const Ephemeris& ephemeris, const std::string& anniversariesPath,
                      DayAdditions additions);
// The national holiday on the panel's date, none when it is no holiday.
std::optional<std::string> HolidayOfPanel(const DayPanel& panel, const Ephemeris& ephemeris);
// The moon phases ("月のこよみ") and solar terms ("二十四節季") of 1 January of
// the texts' year and the 366 days after it, each once, on the list clock,
// from `ephemeris` (the model of the panel's moment).
void FillPhaseList(DayPanel& panel, const Ephemeris& ephemeris);
void FillTermList(DayPanel& panel, const Ephemeris& ephemeris);

// The sixteen fields as (form label, text), in the order of the panel's table;
// the pentad's second text is labelled "七十二候2".
std::vector<std::pair<std::string, std::string>> DayPanelFields(const DayPanel& panel);
