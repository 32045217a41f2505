// The main form: the selected date and place, the day panel, the four lists,
// the sky panel and the month calendar, with its one refresh cycle and timer.
//
// Painting: the refresh (RefreshPanel, then DrawSurfaces) computes every text
// and draws the sky panel and the month calendar into one off-screen image
// under the controls; paintEvent only puts that image on screen.
#pragma once

#include <QImage>
#include <QPoint>
#include <QWidget>
#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "almanac/DayPanel.h"
#include "sky/ui/SkyPanel.h"
#include "widgets/DialogUnits.h"
#include "astrodata/ui/AstroDataDlg.h"
#include "yearlist/ui/YearListDlg.h"
#include "almanac/Settings.h"
#include "places/Places.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;
class QTreeWidget;
class QPainter;
class CUpDown;
class CYearListDlg;
class CAstroDataDlg;

// Form geometry: the form is 375 x 260 dialog units.
inline constexpr int kFormWidth = 750;
inline constexpr int kFormHeight = 520;
// Drawing origin of the sky panel (control 1000 at (0, 135) dialog units).
inline constexpr int kSkyPanelAnchorX = 0;
inline constexpr int kSkyPanelAnchorY = 270;
// The month calendar's control (1033 at (260, 135), 115 x 125 dialog units)
// is monthcal::kControlLeft .. in caldb/MonthCalendar.h, with its click grid.

// Requests the two modeless dialogs make of the view (sent, not posted: the
// view answers before the dialog goes on).
// The year list asks with kListRequestPhases (5) and kListRequestTerms (6),
// the data window with kListRequestDataPhases (7), kListRequestDataTerms (8)
// and kAstroRequestTable (1).

class CMyView : public QWidget, public DayPanel, public CAstroRequestTarget {
  Q_OBJECT

 public:
  explicit CMyView(QWidget* parent = nullptr);
  ~CMyView() override;

  // Copies between the twenty edits and their members: true = controls to
  // members, false = members to controls.
  void UpdateData(bool toMembers);

  // Start-up and the new-document command: back to the present, settings reread.
  void OnInitialUpdate();

  // The refresh cycle. Every handler puts the moment it chose into the form
  // and then refreshes through Refresh (at once) or RequestRefresh (on the
  // next turn of the event loop); nothing else refreshes. A refresh reads the
  // form once (UpdateData(true)) and parses its date and hour into a Moment
  // once (TakeTypedMoment; none when the clock is taken); everything after
  // is handed that moment, and shows what it computed as it goes.
  void ResetToNow();
  // `takeClock`: the present moment replaces the form's first.
  void Refresh(bool takeClock = false);
  // The typed moment, or the present when it lies within half an hour of it
  // (then written into the form).
  Moment SyncHourToClock(const Moment& typed);
  void RefreshPanel(const Moment& at, const Ephemeris& ephemeris);
  void DrawSurfaces(const Moment& at, const Ephemeris& ephemeris);
  // The paint-time refresh of the design: the first one and an automatic
  // update return to the present, any other one follows the typed moment.
  void OnPaint();
  // Schedules OnPaint once for everything that asked since the last one.
  void RequestRefresh();

  // The day panel and the lists, in the model of `ephemeris`.
  void FillDayPanel(const Moment& at, const Ephemeris& ephemeris);
  void FillPhaseList(const Ephemeris& ephemeris);
  void FillTermList(const Ephemeris& ephemeris);
  void FillSelectedDays();
  void FillSeasonalDays(const Ephemeris& ephemeris);

  // The drawings, into the form's image.
  void DrawSkyPanel(QPainter& painter, const Moment& at, const Ephemeris& ephemeris);
  void DrawMonthCalendar(QPainter& painter, const Moment& at, const Ephemeris& ephemeris);

  // Settings: reads the files into m_settingsRecord and the view's place.
  void LoadSettings();

  // Puts a moment into the form (date texts, the hour field's text and the
  // exact hour) and refreshes, as a click on a day of the calendar does.
  void ShowMoment(double year, double month, double day, double hour);

  // Handlers.
  void OnChangeDateTime();
  void OnShowToday();
  void OnQuit();
  void OnSettings();
  // Writes the shown year as an iCalendar file chosen in the save dialog.
  void OnExportCalendar();
  // The file the next export writes without asking (tests); empty asks.
  QString m_strExportPath;
  // ombrel.conf's holidays=1: the 暦注 list and the calendar show holidays.
  bool m_bShowHolidays = false;
  // ombrel.conf's eclipses=1: the 暦注 list and the sky readout show eclipses.
  bool m_bShowEclipses = false;
  // ... and the moon's light in the sky readout (moonlight=1).
  bool m_bShowMoonLight = false;
  void OnYearList();
  void OnAstroData();
  void OnTimer(int timerId);
  int OnDeltaposYear(int delta);
  int OnDeltaposMonth(int delta);
  int OnDeltaposDay(int delta);
  void OnLButtonDown(QPoint point);
  // The windows' typed requests, answered in the view's model.
  std::vector<CalendarEvent> AnswerListRequest(const YearEventRequest& request) override;
  AstroTable AnswerAstroRequest(const AstroInput& input) override;
  // The design's message handlers, kept as thin shims over the two above:
  // wParam 5/6 the year list's phases/terms, 7/8 the data window's, into the
  // windows' own arrays; OnAstroRequest(1) the data window's table.
  long OnListRequest(int wParam, long lParam);
  long OnAstroRequest(int wParam, long lParam);

  // Runs a command as the event loop would: a database engine error ends it
  // and is reported, and the window stays usable.
  void RunCommand(const std::function<void()>& step);

  // The whole form as it shows (controls and drawings), for --render and tests.
  QImage RenderForm();
  // The drawings alone (sky panel and month calendar), as last refreshed.
  const QImage& SurfaceImage() const { return m_imgSurface; }

  // The form's texts, the view's copy of the date and the day panel's
  // results are the DayPanel members (m_strYear, m_dYear, m_strEra, ...).

  // The hour of the moment shown, with five decimals (or as typed): the
  // panel and the drawings use it, while the hour field shows it with one.
  std::string m_strHourExact;
  // The hour field's text as the view last wrote it: while the field still
  // holds it, the moment's hour is m_strHourExact; a different text is typed.
  std::string m_strHourShown;
  // The year text the moon-phase and solar-term lists were last built for.
  std::string m_strListYear;

  // The window's settings (ombrel.dat's nine lines, the model and zone of
  // ombrel.conf): read at start-up and by the new-document command, edited
  // by the settings dialog, and what the other windows and drawings are handed.
  SettingsRecord m_settingsRecord;

  double m_dLongitude = 139.7;
  double m_dLatitude = 35.6;
  // The azimuth the sky chart faces, in degrees: the settings' text read as a
  // number whenever the settings are read or accepted.
  double m_dAzimuth = 0.0;
  // The place the settings dialog chose by name (ombrel.conf's place=), and
  // whether the view's place is still that one: then the window's title
  // names it and the dialog shows its numbers unrounded.
  std::string m_strPlace;
  std::optional<places::NamedPlace> NamedPlace() const;
  // The calendar rule, zone and model of the settings at the view's place;
  // every moment the view computes is built from it.
  Moment m_settings;

  int m_nTimerMinutes = 0;
  int m_bAutoTick = 0;
  int m_nPaintCount = 0;

  CYearListDlg* m_pYearListDlg = nullptr;
  CAstroDataDlg* m_pAstroDataDlg = nullptr;

  // JulianDay of the month calendar's top-left cell, written by its drawing;
  // none while no month is drawn.
  std::optional<JulianDay> m_dFirstCellJulianDay;

  // A database error ends the operation in progress and is shown in a message
  // box; with m_bQuietErrors (the --render run) it is only kept here.
  bool m_bQuietErrors = false;
  // A moment typed within half an hour of the present follows the clock
  // (SyncHourToClock); a render asked for a moment (--hour) does not.
  bool m_bFollowClock = true;
  std::string m_strLastError;
  std::string m_strSettingsWarning;  // the last settings warning reported
  // At start-up the warnings wait for the window: HoldReports keeps them,
  // ReleaseReportsWhenShown shows them once the window is on screen.
  void HoldReports();
  // A message box that is not an error (nothing for --render to fail on).
  void Say(const QString& text);
  void ReleaseReportsWhenShown(int triesLeft = 200);

 signals:
  // Emitted by OnQuit: the frame closes and the program ends.
  void quitRequested();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void timerEvent(QTimerEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // The ephemeris of the settings' model: the one place the view picks its
  // model. A refresh asks once and hands it to every fill and drawing; the
  // dialogs get it with the settings (ApplySettings), the requests' answers
  // ask at their own turn.
  const Ephemeris& SettingsEphemeris() const { return EphemerisOf(m_settings.model); }
  void CreateControls();
  void SetKeyboardOrder();
  // After a database error in FillDayPanel: the form keeps its texts except
  // those the panel had shown before the error.
  void ShowFieldsFilledBeforeError();
  void ReportError(const QString& text);
  // The precise series' span warnings of the moment shown (ModelSpan.h).
  void ReportModelSpan(const Moment& at);
  // The date texts ("%4.0f", "%2.0f", "%2.0f"), and with the hour ("%2.1f"
  // into the form, "%2.5f" into m_strHourExact); the latter returns the
  // moment they name.
  void WriteDateTexts(double year, double month, double day);
  Moment WriteDateTextsWithHour(double year, double month, double day, double hour);
  // The settings' moment at that date and the exact hour (m_strHourExact,
  // the hour to five decimals).
  Moment MomentOfDate(double year, double month, double day) const;
  // The computer's clock becomes the selected date and time, texts included.
  Moment TakeClockAsSelected();
  // Reads the date and hour fields strictly (ReadTypedMoment): the form's
  // one parse into a moment (counted in m_nFormReads). A typed hour becomes
  // the exact hour. On refusal the message is shown, the fields show the last
  // moment shown again with the refused field selected, and none is
  // returned: the panel always shows the day its fields name.
  std::optional<Moment> TakeTypedMoment();
  // The refresh once its moment is taken: the panel, the lists, the
  // drawings, the data window's table and the span warnings, all of `at`.
  void ShowTakenMoment(const Moment& at);
  // The date the spinners stepped to, unless it lies beyond the calendar
  // table (then said, and false).
  bool WithinCalendarTable(const LocalTime& day);
  // m_settings and the dialogs' copies of the settings follow m_settingsRecord.
  void ApplySettings();
  // The frame's title, with the named place's name after it when there is one.
  void ShowPlaceName();
  // The present instant on the settings' clock at the view's place.
  LocalTime Now() const;

 public:
  // The instant the view takes as the present (tests set another clock).
  std::function<JulianDay()> m_clock = CurrentJulianDay;
  // The sky panel's redraws so far, as its status line counts them.
  int SkyPanelRedraws() const { return m_skyPanel.redrawCount - 1; }
  // The times the form's date and hour were parsed into a moment so far.
  int FormReads() const { return m_nFormReads; }

 private:
  // Steps the date's year, month or day (`part`) by one, as its spinner does.
  int StepDateField(double Moment::*part, int delta);

  // The twenty edits, in the order of the form table (1003, 1004, 1007, ...).
  std::array<QLineEdit*, 20> m_edits{};
  // The year, month and day spinners (1005, 1006, 1008).
  std::array<CUpDown*, 3> m_spinners{};
  QPushButton* m_btnChange = nullptr;
  QPushButton* m_btnToday = nullptr;
  QPushButton* m_btnQuit = nullptr;
  QTreeWidget* m_wndPhases = nullptr;        // 1027
  QTreeWidget* m_wndTerms = nullptr;         // 1028
  QTreeWidget* m_wndSelectedDays = nullptr;  // 1029
  QTreeWidget* m_wndSeasonalDays = nullptr;  // 1030

  int m_nTimerId = 0;
  bool m_bRefreshPending = false;
  bool m_bReporting = false;
  bool m_bHoldReports = false;
  std::vector<std::string> m_modelWarnings;  // those of the last refresh
  std::vector<QString> m_heldReports;
  std::string m_strDrawError;  // the month calendar's database error, if any
  // Set by the settings dialog's OK: the next refresh rebuilds the year lists
  // even in the same year, since the calendar rule may have changed.
  bool m_bYearListsStale = false;
  QImage m_imgSurface;
  SkyPanelMemory m_skyPanel;
  // The form's date and hour texts of the moment the last refresh took: put
  // back when a typed moment is refused, the spinners' other two parts, and
  // the date the year list opens on.
  struct ShownMoment {
    std::string year, month, day, hour, hourExact;
    Moment at;  // the moment those texts named
  };
  std::optional<ShownMoment> m_shown;
  int m_nFormReads = 0;
};
