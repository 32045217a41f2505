#include "view/ui/MyView.h"

#include <QApplication>
#include <QFileDialog>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QTimer>
#include <QTimerEvent>
#include <QTreeWidget>
#include <QWindow>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

#include "almanac/ModelSpan.h"
#include "almanac/Settings.h"
#include "almanac/TypedForm.h"
#include "astro/Model.h"
#include "astro/MoonLight.h"
#include "astro/astro.h"
#include "astrodata/ui/AstroDataDlg.h"
#include "caldb/Dao.h"
#include "caldb/Lunisolar.h"
#include "caldb/MonthCalendar.h"
#include "caldb/ui/MonthCalendarView.h"
#include "core/Args.h"
#include "core/Conf.h"
#include "core/Cpu.h"
#include "core/Text.h"
#include "astro/EclipseDays.h"
#include "holidays/Holidays.h"
#include "ical/AlmanacCalendar.h"
#include "sky/ui/SkyPanel.h"
#include "view/ui/SettingsDlg.h"
#include "widgets/AlmanacFont.h"
#include "widgets/CsvFileDialog.h"
#include "widgets/FieldText.h"
#include "widgets/Notice.h"
#include "widgets/UpDown.h"
#include "yearlist/ui/YearListDlg.h"

namespace {

constexpr int kDu = kPixelsPerDialogUnit;
constexpr int kTimerPeriodMs = 60000;
// 30 minutes in days: a typed moment this close to the present follows the clock.
constexpr double kFollowClockDays = 0.020833333333333332;

QRect DuRect(int x, int y, int w, int h) { return QRect(x * kDu, y * kDu, w * kDu, h * kDu); }


// A spinner reads its field with atoi; at most nine characters keep it in range.
int ReadFormInt(const std::string& text) { return std::atoi(text.substr(0, 9).c_str()); }

QString Qs(const std::string& s) { return QString::fromStdString(s); }

struct EditLayout {
  int id;
  int x, y, w, h;
  bool border;
  std::string DayPanel::*member;
};

// The twenty edits of the form, in dialog units.
const EditLayout kEdits[] = {
    {1003, 5, 10, 40, 20, true, &DayPanel::m_strYear},
    {1004, 60, 10, 15, 20, true, &DayPanel::m_strMonth},
    {1007, 90, 10, 15, 20, true, &DayPanel::m_strDay},
    {1011, 115, 10, 20, 20, true, &DayPanel::m_strHour},
    {1009, 140, 10, 15, 20, true, &DayPanel::m_strWeekday},
    {1010, 160, 10, 20, 20, true, &DayPanel::m_strSixDaySign},
    {1012, 5, 45, 80, 12, false, &DayPanel::m_strEra},
    {1013, 95, 45, 70, 12, false, &DayPanel::m_strImperialYear},
    {1014, 5, 70, 40, 12, false, &DayPanel::m_strMonthName},
    {1015, 50, 70, 40, 12, false, &DayPanel::m_strLunarDate},
    {1016, 95, 70, 70, 12, false, &DayPanel::m_strSexagenary},
    {1017, 5, 95, 40, 12, false, &DayPanel::m_strSolarTerm},
    {1018, 50, 95, 40, 12, false, &DayPanel::m_strSolarLongitude},
    {1019, 95, 95, 45, 12, false, &DayPanel::m_strPentadName},
    {1020, 145, 95, 90, 12, false, &DayPanel::m_strPentadText},
    {1024, 5, 119, 40, 12, false, &DayPanel::m_strMoonAge},
    {1022, 50, 119, 40, 12, false, &DayPanel::m_strNineStar},
    {1023, 95, 119, 40, 12, false, &DayPanel::m_strMansion},
    {1025, 141, 119, 39, 12, false, &DayPanel::m_strSoundSign},
    {1026, 185, 119, 40, 12, false, &DayPanel::m_strTwelveDaySign},
};

struct LabelLayout {
  int x, y;
  const char* text;
};

const LabelLayout kLabels[] = {
    {5, 0, "入力年　　　　  　月　　　　　日　　　　時間　　曜日　六曜"},
    {5, 35, "和暦　　"},
    {95, 35, "神武天皇即位紀元"},
    {5, 60, "和名月　　　 　旧暦　 　　　　干支　"},
    {5, 85, "二十四節季　黄経　　　　　　七十二候"},
    {5, 110, "月齢　　　　　 九星　　　  　　二十八宿　　  　納音　　　　　十二直"},
};

// Stands in the era's member until the panel has looked the era up.
const std::string kEraNotReached = "\x01";

// The fields the panel has filled by the time it knows the era: the imperial
// year (still without the year's sign), the month name, the solar term, the
// sun's longitude, the pentad and the era.
std::string DayPanel::* const kFieldsShownWithEra[] = {
    &DayPanel::m_strImperialYear, &DayPanel::m_strMonthName,  &DayPanel::m_strSolarTerm, &DayPanel::m_strSolarLongitude,
    &DayPanel::m_strPentadName,   &DayPanel::m_strPentadText, &DayPanel::m_strEra};

// One report-style column of 150 pixels under its title.
void SetListColumn(QTreeWidget* list, const char* column) {
  list->setHeaderLabels({QString::fromUtf8(column)});
  list->setColumnWidth(0, 150);
}

// A list with its title from the start, so that it has it even when no
// refresh fills it (no calendar database).
QTreeWidget* MakeList(QWidget* parent, int id, QRect r, const char* column) {
  auto* list = new QTreeWidget(parent);
  list->setObjectName(QString::number(id));
  list->setGeometry(r);
  list->setRootIsDecorated(false);
  list->setColumnCount(1);
  list->setUniformRowHeights(true);
  list->header()->setStretchLastSection(false);
  SetListColumn(list, column);
  return list;
}

// The items, as the lists show them.
void FillList(QTreeWidget* list, const char* column, const std::vector<std::string>& items) {
  list->clear();
  SetListColumn(list, column);
  QList<QTreeWidgetItem*> rows;
  rows.reserve(static_cast<int>(items.size()));
  for (const std::string& item : items) rows.append(new QTreeWidgetItem(QStringList{Qs(item)}));
  list->addTopLevelItems(rows);
}

// A child that only marks a control's place (the sky anchor, the calendar's
// frame); the drawings under it stay visible and clicks reach the view.
void MakeMarker(QWidget* parent, int id, QRect r) {
  auto* w = new QWidget(parent);
  w->setObjectName(QString::number(id));
  w->setGeometry(r);
  w->setAttribute(Qt::WA_TransparentForMouseEvents);
}

}  // namespace

CMyView::CMyView(QWidget* parent) : QWidget(parent), m_imgSurface(kFormWidth, kFormHeight, QImage::Format_ARGB32_Premultiplied) {
  setFixedSize(kFormWidth, kFormHeight);
  setFont(AlmanacFont(12));
  setAttribute(Qt::WA_OpaquePaintEvent, false);
  m_imgSurface.fill(Qt::transparent);
  CreateControls();
  m_pYearListDlg = new CYearListDlg(SettingsEphemeris(), this, this);
  m_pAstroDataDlg = new CAstroDataDlg(SettingsEphemeris(), this, this);
  m_nTimerId = startTimer(kTimerPeriodMs);
}

CMyView::~CMyView() {
  if (m_nTimerId) killTimer(m_nTimerId);
  delete m_pYearListDlg;
  delete m_pAstroDataDlg;
}

void CMyView::CreateControls() {
  for (const LabelLayout& l : kLabels) {
    auto* label = new QLabel(QString::fromUtf8(l.text), this);
    label->move(l.x * kDu, l.y * kDu);
    label->adjustSize();
  }
  for (std::size_t i = 0; i < std::size(kEdits); ++i) {
    const EditLayout& e = kEdits[i];
    auto* edit = new QLineEdit(this);
    edit->setObjectName(QString::number(e.id));
    edit->setGeometry(DuRect(e.x, e.y, e.w, e.h));
    edit->setFrame(e.border);
    if (!e.border) edit->setStyleSheet(QStringLiteral("QLineEdit { background: transparent; }"));
    m_edits[i] = edit;
  }
  const struct {
    int id, x;
    int (CMyView::*handler)(int);
  } spinners[] = {{1005, 45, &CMyView::OnDeltaposYear}, {1006, 75, &CMyView::OnDeltaposMonth},
                  {1008, 105, &CMyView::OnDeltaposDay}};
  for (const auto& sp : spinners) {
    auto* spin = new CUpDown(this);
    m_spinners[&sp - spinners] = spin;
    spin->setObjectName(QString::number(sp.id));
    spin->setGeometry(DuRect(sp.x, 10, 10, 20));
    const auto handler = sp.handler;
    connect(spin, &CUpDown::deltaPos, this, [this, handler](int d) { RunCommand([&] { (this->*handler)(d); }); });
  }

  m_btnChange = new QPushButton(QStringLiteral("日時変更"), this);
  m_btnChange->setObjectName(QStringLiteral("1021"));
  m_btnChange->setGeometry(DuRect(240, 105, 40, 20));
  m_btnToday = new QPushButton(QStringLiteral("今日の表示"), this);
  m_btnToday->setObjectName(QStringLiteral("1031"));
  m_btnToday->setGeometry(DuRect(285, 105, 40, 20));
  m_btnQuit = new QPushButton(QStringLiteral("終了"), this);
  m_btnQuit->setObjectName(QStringLiteral("1032"));
  m_btnQuit->setGeometry(DuRect(330, 105, 40, 20));
  connect(m_btnChange, &QPushButton::clicked, this, [this] { RunCommand([&] { OnChangeDateTime(); }); });
  connect(m_btnToday, &QPushButton::clicked, this, [this] { RunCommand([&] { OnShowToday(); }); });
  connect(m_btnQuit, &QPushButton::clicked, this, &CMyView::OnQuit);

  m_wndSeasonalDays = MakeList(this, 1030, DuRect(190, 5, 85, 35), "暦注");
  m_wndSelectedDays = MakeList(this, 1029, DuRect(190, 40, 84, 54), "下段");
  m_wndPhases = MakeList(this, 1027, DuRect(280, 5, 90, 45), "月のこよみ");
  m_wndTerms = MakeList(this, 1028, DuRect(280, 50, 90, 44), "二十四節季");
  MakeMarker(this, 1000, DuRect(0, 135, 1, 1));
  MakeMarker(this, 1033, DuRect(260, 135, 115, 125));
  SetKeyboardOrder();
}

void CMyView::SetKeyboardOrder() {
  // Tab goes from the four date fields straight to the three buttons, then
  // through the panel's fields and the lists.
  constexpr std::size_t kDateFields = 4;  // 1003, 1004, 1007, 1011
  std::vector<QWidget*> order(m_edits.begin(), m_edits.begin() + kDateFields);
  order.insert(order.end(), {m_btnChange, m_btnToday, m_btnQuit});
  order.insert(order.end(), m_edits.begin() + kDateFields, m_edits.end());
  order.insert(order.end(), {m_wndSeasonalDays, m_wndSelectedDays, m_wndPhases, m_wndTerms});
  for (std::size_t i = 1; i < order.size(); ++i) setTabOrder(order[i - 1], order[i]);
  // Enter presses the focused button, as Space does.
  for (QPushButton* b : {m_btnChange, m_btnToday, m_btnQuit}) b->setAutoDefault(true);
  // Enter in a date field applies the typed moment, as 日時変更 does.
  for (std::size_t i = 0; i < kDateFields; ++i)
    connect(m_edits[i], &QLineEdit::returnPressed, m_btnChange, &QPushButton::click);
  // The arrow keys in the year, month and day fields work their spinners.
  for (std::size_t i = 0; i < m_spinners.size(); ++i) m_edits[i]->installEventFilter(this);
}

bool CMyView::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    for (std::size_t i = 0; i < m_spinners.size(); ++i) {
      if (watched != m_edits[i] || (key != Qt::Key_Up && key != Qt::Key_Down)) continue;
      m_spinners[i]->Step(key == Qt::Key_Up ? -1 : +1);
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

void CMyView::UpdateData(bool toMembers) {
  for (std::size_t i = 0; i < std::size(kEdits); ++i) {
    std::string& member = this->*kEdits[i].member;
    if (toMembers) {
      member = m_edits[i]->text().toStdString();
    } else {
      ShowFieldText(m_edits[i], Qs(member));
    }
  }
}

void CMyView::RunCommand(const std::function<void()>& step) {
  try {
    step();
  } catch (const CDaoException& e) {
    // The engine's error ends the operation; the window stays usable. Texts
    // not yet shown are dropped: the members follow what the form shows.
    UpdateData(true);
    ReportError(QString::fromStdString(e.what()));
  }
}

void CMyView::ReportError(const QString& text) {
  m_strLastError = text.toStdString();
  if (!m_bQuietErrors) Say(text);  // a render's error ends it with that text
}

void CMyView::Say(const QString& text) {
  if (m_bQuietErrors) {
    // A render says on stderr what the window would show in a box.
    if (!m_bHoldReports) std::fprintf(stderr, "ombrel: %s\n", text.toLocal8Bit().constData());
    return;
  }
  if (m_bHoldReports) {
    m_heldReports.push_back(text);
    return;
  }
  if (m_bReporting) return;
  m_bReporting = true;
  WarnOver(this, QStringLiteral("Ombrel"), text);
  m_bReporting = false;
}

void CMyView::HoldReports() { m_bHoldReports = true; }

void CMyView::ReleaseReportsWhenShown(int triesLeft) {
  // Once the window manager has put the window on screen (or after about
  // two seconds without it), so the boxes open centred on it.
  const QWindow* handle = window()->windowHandle();
  if (triesLeft > 0 && !(handle && handle->isExposed())) {
    QTimer::singleShot(10, this, [this, triesLeft] { ReleaseReportsWhenShown(triesLeft - 1); });
    return;
  }
  m_bHoldReports = false;
  const std::vector<QString> held = std::move(m_heldReports);
  m_heldReports.clear();
  for (const QString& text : held) Say(text);
}

namespace {

QString SeriesWarningText(const precise::SeriesWarning& w) {
  if (w.series == precise::Series::Earth)
    return QStringLiteral("この日時は、高精度の計算で地球の級数（eraEpv00）が検証された1900～2100年の外です。"
                          "太陽の位置・二十四節季・月の満ち欠け・日の出と日の入は外挿した値です。");
  if (w.status == 2) return QStringLiteral("この日時では惑星の級数（eraPlan94）が収束しませんでした。");
  return QStringLiteral("この日時は、惑星の級数（eraPlan94）が検証された1000～3000年の外です。惑星の位置は外挿した値です。");
}

}  // namespace

void CMyView::ReportModelSpan(const Moment& at) {
  // Said once as the shown moment leaves a series' span, not at every
  // refresh outside it; said again after a return inside.
  std::vector<std::string> shown;
  for (const precise::SeriesWarning& w : DaySeriesWarnings(at, SettingsEphemeris(), m_bShowEclipses, true)) {
    shown.push_back(w.text);
    if (std::find(m_modelWarnings.begin(), m_modelWarnings.end(), w.text) != m_modelWarnings.end()) continue;
    if (m_bQuietErrors)
      std::fprintf(stderr, "ombrel: warning: %s\n", w.text.c_str());
    else
      Say(SeriesWarningText(w));
  }
  m_modelWarnings = std::move(shown);
}

void CMyView::WriteDateTexts(double year, double month, double day) {
  m_strYear = text::SjisFormat("%4.0f", year);
  m_strMonth = text::SjisFormat("%2.0f", month);
  m_strDay = text::SjisFormat("%2.0f", day);
}

Moment CMyView::WriteDateTextsWithHour(double year, double month, double day, double hour) {
  WriteFormDate(*this, year, month, day, hour);
  m_strHourExact = text::SjisFormat("%2.5f", hour);
  m_strHourShown = m_strHour;
  return MomentOfDate(year, month, day);
}

Moment CMyView::MomentOfDate(double year, double month, double day) const {
  Moment at = m_settings;
  at.year = year, at.month = month, at.day = day;
  at.hour = ReadFormNumber(m_strHourExact);
  return at;
}

std::optional<Moment> CMyView::TakeTypedMoment() {
  ++m_nFormReads;
  const bool hourTyped = m_strHour != m_strHourShown;
  FormRefusal refusal;
  if (const std::optional<TypedMoment> typed = ReadTypedMoment(
          m_strYear, m_strMonth, m_strDay, hourTyped ? m_strHour : m_strHourExact, m_settings.calendar, refusal)) {
    // The fields as the view writes them (full-width digits and blanks gone);
    // a typed hour stays as typed when it is plain digits.
    WriteDateTexts(typed->year, typed->month, typed->day);
    if (hourTyped) {
      m_strHourExact = text::SjisFormat("%2.5f", typed->hour);
      if (PlainFormText(m_strHour) != m_strHour) m_strHour = HourFieldText(typed->hour);
      m_strHourShown = m_strHour;
    }
    UpdateData(false);
    return MomentOfDate(typed->year, typed->month, typed->day);
  }
  ReportError(QString::fromStdString(refusal.message));
  if (m_shown) {
    m_strYear = m_shown->year, m_strMonth = m_shown->month, m_strDay = m_shown->day;
    m_strHour = m_strHourShown = m_shown->hour;
    m_strHourExact = m_shown->hourExact;
  } else {
    TakeClockAsSelected();
  }
  UpdateData(false);
  QLineEdit* field = m_edits[static_cast<std::size_t>(refusal.field)];
  field->setFocus();
  field->selectAll();
  return std::nullopt;
}

bool CMyView::WithinCalendarTable(const LocalTime& day) {
  try {
    if (!LunisolarLookup(day.year, day.month, day.day, day.year, day.month, m_settings.calendar).outsideTable)
      return true;
  } catch (const CDaoException&) {
    return true;  // the refresh that follows meets the database's error and says it
  }
  ReportError(QStringLiteral("%1年%2月%3日は旧暦の表の外です（表は%4まで）。")
                  .arg(day.year, 0, 'f', 0)
                  .arg(day.month, 0, 'f', 0)
                  .arg(day.day, 0, 'f', 0)
                  .arg(QString::fromUtf8(kCalendarTableSpan)));
  return false;
}

void CMyView::ShowMoment(double year, double month, double day, double hour) {
  WriteDateTextsWithHour(year, month, day, hour);
  UpdateData(false);
  Refresh();
}

void CMyView::OnInitialUpdate() { ResetToNow(); }

LocalTime CMyView::Now() const { return JulianDayToDate(m_clock(), PlaceClock(m_settings)); }

Moment CMyView::TakeClockAsSelected() {
  const LocalTime now = Now();
  m_dYear = now.year, m_dMonth = now.month, m_dDay = now.day;
  return WriteDateTextsWithHour(m_dYear, m_dMonth, m_dDay, now.hour);
}

void CMyView::ResetToNow() {
  LoadSettings();
  TakeClockAsSelected();
  UpdateData(false);
}

// Said when the zone setting is one the tz database does not know and the
// default zone is used in its place: the dialog's refusal, then what is used.
static std::string ZoneFallbackWarning(const std::string& zone) {
  return (ZoneRefusal(zone) + QStringLiteral("%1 を使います（%2 の zone=）。")
                                  .arg(QString::fromUtf8(TimeZone::kDefaultName), QString::fromUtf8(kConfFileName)))
      .toStdString();
}

void CMyView::LoadSettings() {
  const SettingsReadResult read = ::LoadSettings(m_settingsRecord);
  Conf additions;
  additions.Load();
  ReadModelSetting(additions, m_settingsRecord);
  m_bShowHolidays = holidays::Shown(additions);
  m_bShowEclipses = eclipses::Shown(additions);
  m_bShowMoonLight = moonlight::Shown(additions);
  m_strPlace = additions.Get(places::kPlaceKey);
  // What could not be read, or was replaced by a default, is reported once,
  // not at every reload.
  std::vector<std::string> lines;
  for (const SettingsWarning& w : read.warnings) lines.push_back(SettingsWarningText(w).toStdString());
  for (std::string& line : additions.Problems()) lines.push_back(std::move(line));
  std::string zoneError;
  if (!TimeZone::Named(m_settingsRecord.m_strZone, zoneError)) {
    lines.push_back(ZoneFallbackWarning(m_settingsRecord.m_strZone));
    m_settingsRecord.m_strZone = TimeZone::kDefaultName;
  }
  std::string warning;
  for (const std::string& line : lines) warning += (warning.empty() ? "" : "\n") + line;
  if (!warning.empty() && warning != m_strSettingsWarning) Say(QString::fromStdString(warning));
  m_strSettingsWarning = warning;
  if (read.nonEmptyLines > 0) {
    m_dLongitude = SettingsNumber(m_settingsRecord.m_strLongitude);
    m_dLatitude = SettingsNumber(m_settingsRecord.m_strLatitude);
    m_dAzimuth = SettingsNumber(m_settingsRecord.m_strAzimuth);
  }
  ApplySettings();
}

void CMyView::ApplySettings() {
  // The model, zone and calendar rule hold from here on, before the next refresh.
  // LoadSettings has replaced an unknown zone from the file (said once with the
  // other settings warnings); the dialog refuses one.
  std::string error;
  std::optional<Moment> settings = SettingsMoment(m_settingsRecord, 0, 0, 0, 0, error);
  if (!settings) {
    Say(QString::fromStdString(ZoneFallbackWarning(m_settingsRecord.m_strZone)));
    m_settingsRecord.m_strZone = TimeZone::kDefaultName;
    settings = SettingsMoment(m_settingsRecord, 0, 0, 0, 0, error);
  }
  m_settings = *settings;
  m_settings.place = {m_dLatitude, m_dLongitude};
  m_pAstroDataDlg->m_settings = m_settings;
  m_pAstroDataDlg->m_ephemeris = SettingsEphemeris();
  m_pYearListDlg->m_settings = m_settings;
  m_pYearListDlg->m_ephemeris = SettingsEphemeris();
  m_pYearListDlg->m_nSignDisplay = m_settingsRecord.m_nSignDisplay;
  ShowPlaceName();
}

void CMyView::RequestRefresh() {
  if (m_bRefreshPending) return;
  m_bRefreshPending = true;
  QTimer::singleShot(0, this, [this] {
    m_bRefreshPending = false;
    RunCommand([&] { OnPaint(); });
  });
}

void CMyView::OnPaint() { Refresh(m_nPaintCount == 0 || m_bAutoTick); }

void CMyView::Refresh(bool takeClock) {
  UpdateData(true);
  if (takeClock) {
    m_bAutoTick = 0;
    const Moment now = TakeClockAsSelected();
    UpdateData(false);
    ShowTakenMoment(now);
  } else if (const std::optional<Moment> typed = TakeTypedMoment()) {
    ShowTakenMoment(m_bFollowClock ? SyncHourToClock(*typed) : *typed);
  }
  // else refused and said: the panel keeps the moment the fields show again
}

void CMyView::ShowTakenMoment(const Moment& at) {
  // The moment taken, even when the panel then meets a database error: the
  // fields show it again after a refusal, and the spinners step from it.
  m_shown = ShownMoment{m_strYear, m_strMonth, m_strDay, m_strHour, m_strHourExact, at};
  ++m_nPaintCount;
  // The model the whole refresh computes in, chosen once.
  const Ephemeris& ephemeris = SettingsEphemeris();
  RefreshPanel(at, ephemeris);
  DrawSurfaces(at, ephemeris);
  // The data window's table follows the settings just refreshed, for the
  // moment its own fields show.
  if (m_pAstroDataDlg->IsWindowOpen()) m_pAstroDataDlg->OnRecalc();
  ReportModelSpan(at);
}

Moment CMyView::SyncHourToClock(const Moment& typed) {
  // A moment typed within half an hour of the present becomes the present,
  // its date included (23:50 typed just after midnight is today's 00:05).
  const LocalTime clock = Now();
  Moment now = typed;
  now.year = clock.year, now.month = clock.month, now.day = clock.day, now.hour = clock.hour;
  Moment taken = typed;
  if (std::fabs(MomentJulianDay(now) - MomentJulianDay(typed)) < kFollowClockDays)
    taken = WriteDateTextsWithHour(clock.year, clock.month, clock.day, clock.hour);
  UpdateData(false);
  return taken;
}

void CMyView::RefreshPanel(const Moment& at, const Ephemeris& ephemeris) {
  // Qt's painting may leave the AVX state dirty, which slows the computation's
  // plain SSE maths about tenfold; start the day's computations clean.
  cpu::ClearUpperVectorState();
  FillDayPanel(at, ephemeris);
  FillSelectedDays();
  FillSeasonalDays(ephemeris);
  if (m_bYearListsStale || m_strYear != m_strListYear) {
    FillPhaseList(ephemeris);
    FillTermList(ephemeris);
    m_bYearListsStale = false;
  }
  m_strListYear = m_strYear;
}

void CMyView::FillDayPanel(const Moment& at, const Ephemeris& ephemeris) {
  const std::string era = m_strEra;
  m_strEra = kEraNotReached;
  try {
    ::FillDayPanel(*this, at, ephemeris, kCalendarDatabase);
  } catch (...) {
    ShowFieldsFilledBeforeError();
    throw;
  }
  if (m_strEra == kEraNotReached) m_strEra = era;  // a fill that left the era alone
  UpdateData(false);
}

void CMyView::ShowFieldsFilledBeforeError() {
  // The panel shows its upper fields as soon as the era is known; a database
  // error after that leaves them shown and every later field as it was.
  const bool eraReached = m_strEra != kEraNotReached;
  std::string filled[std::size(kFieldsShownWithEra)];
  for (std::size_t i = 0; i < std::size(filled); ++i) filled[i] = this->*kFieldsShownWithEra[i];
  UpdateData(true);
  if (!eraReached) return;
  for (std::size_t i = 0; i < std::size(filled); ++i) this->*kFieldsShownWithEra[i] = filled[i];
  UpdateData(false);
}


void CMyView::FillSelectedDays() {
  ::FillSelectedDays(*this);
  FillList(m_wndSelectedDays, "下段", m_listSelectedDays);
}

void CMyView::FillSeasonalDays(const Ephemeris& ephemeris) {
  const std::string reported = m_strAnniversaryWarning;
  ::FillSeasonalDays(*this, ephemeris, "kinenbi.dat", {m_bShowHolidays, m_bShowEclipses});
  // Said once, not at every refresh, until the file changes.
  if (!m_strAnniversaryWarning.empty() && m_strAnniversaryWarning != reported)
    Say(QString::fromStdString(m_strAnniversaryWarning));
  FillList(m_wndSeasonalDays, "暦注", m_listSeasonalDays);
}

void CMyView::FillPhaseList(const Ephemeris& ephemeris) {
  ::FillPhaseList(*this, ephemeris);
  FillList(m_wndPhases, "月のこよみ", m_listPhases);
}

void CMyView::FillTermList(const Ephemeris& ephemeris) {
  ::FillTermList(*this, ephemeris);
  FillList(m_wndTerms, "二十四節季", m_listTerms);
}

void CMyView::DrawSurfaces(const Moment& at, const Ephemeris& ephemeris) {
  // Drawn at the screen's own pixel density, so a high-density display shows it sharp.
  const qreal dpr = devicePixelRatioF();
  if (m_imgSurface.devicePixelRatio() != dpr) {
    m_imgSurface = QImage(QSize(kFormWidth, kFormHeight) * dpr, QImage::Format_ARGB32_Premultiplied);
    m_imgSurface.setDevicePixelRatio(dpr);
  }
  m_imgSurface.fill(Qt::transparent);
  QPainter painter(&m_imgSurface);
  painter.setFont(AlmanacFont(12));
  painter.translate(kSkyPanelAnchorX, kSkyPanelAnchorY);
  DrawSkyPanel(painter, at, ephemeris);
  painter.resetTransform();
  painter.setClipRect(monthcal::kControlLeft, monthcal::kControlTop, monthcal::kControlWidth,
                      monthcal::kControlHeight);
  painter.translate(monthcal::kControlLeft, monthcal::kControlTop);
  m_strDrawError.clear();
  DrawMonthCalendar(painter, at, ephemeris);
  painter.end();
  update();
  // Reported only now: the message box runs its own event loop, which must
  // not find the form's image still being painted.
  if (!m_strDrawError.empty()) ReportError(QString::fromStdString(m_strDrawError));
}

void CMyView::DrawSkyPanel(QPainter& painter, const Moment& at, const Ephemeris& ephemeris) {
  SkyPanelInputs in;
  in.at = at;
  in.chartAzimuth = m_dAzimuth;
  in.showConstellations = m_settingsRecord.m_bConstellations == 1;
  in.showMansions = m_settingsRecord.m_bMansions == 1;
  in.showEclipses = m_bShowEclipses;
  in.showMoonLight = m_bShowMoonLight;
  ::DrawSkyPanel(painter, in, ephemeris, m_skyPanel);
}

void CMyView::DrawMonthCalendar(QPainter& painter, const Moment& at, const Ephemeris& ephemeris) {
  m_dFirstCellJulianDay =
      ::DrawMonthCalendar(painter, at, ephemeris, m_settingsRecord.m_nSignDisplay, &m_strDrawError, m_bShowHolidays);
  UpdateData(false);
}

void CMyView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.drawImage(0, 0, m_imgSurface);
}

QImage CMyView::RenderForm() { return grab().toImage(); }

void CMyView::OnChangeDateTime() {
  // A typed moment that is not exactly one day and hour (2024-02-31, month
  // 13, day 32, 11.5, "abc", hour 25) is refused, not carried into another
  // day: Refresh says why and shows the last moment again.
  Refresh();
}

void CMyView::OnShowToday() {
  ResetToNow();
  Refresh();
}

void CMyView::OnQuit() {
  emit quitRequested();
  window()->close();
}

void CMyView::timerEvent(QTimerEvent* event) {
  if (event->timerId() == m_nTimerId) OnTimer(1);
}

void CMyView::OnTimer(int timerId) {
  if (timerId != 1) return;
  UpdateData(true);
  if (m_settingsRecord.m_bAutoUpdate != 1) return;
  ++m_nTimerMinutes;
  if (m_nTimerMinutes == ReadFormInt(m_settingsRecord.m_strInterval)) {
    m_bAutoTick = 1;
    RequestRefresh();
    m_nTimerMinutes = 0;
  }
}

int CMyView::StepDateField(double Moment::*part, int delta) {
  // A spinner steps its own field's typed value; the two other parts of the
  // date are those of the moment last shown, not their fields. The typed
  // moment must still be one the form accepts (the form's one reading for
  // this refresh); the step stops at the calendar table's ends.
  UpdateData(true);
  const std::optional<Moment> typed = TakeTypedMoment();
  if (!typed) return 0;
  Moment stepped = *typed;
  if (m_shown) {
    stepped.year = m_shown->at.year, stepped.month = m_shown->at.month, stepped.day = m_shown->at.day;
    stepped.*part = (*typed).*part;
  }
  if (delta == -1) stepped.*part += 1;
  if (delta == +1) stepped.*part -= 1;
  const LocalTime t = JulianDayToDate(DayNoon(stepped.year, stepped.month, stepped.day, m_settings.calendar),
                                      DayCountClock(m_settings.calendar));
  if (!WithinCalendarTable(t)) return 0;
  WriteDateTexts(t.year, t.month, t.day);
  UpdateData(false);
  const Moment at = MomentOfDate(t.year, t.month, t.day);
  ShowTakenMoment(m_bFollowClock ? SyncHourToClock(at) : at);
  return 0;
}

int CMyView::OnDeltaposYear(int delta) { return StepDateField(&Moment::year, delta); }
int CMyView::OnDeltaposMonth(int delta) { return StepDateField(&Moment::month, delta); }
int CMyView::OnDeltaposDay(int delta) { return StepDateField(&Moment::day, delta); }

void CMyView::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) RunCommand([&] { OnLButtonDown(event->position().toPoint()); });
  QWidget::mousePressEvent(event);
}

void CMyView::OnLButtonDown(QPoint point) {
  JulianDay jd = 0;
  if (!monthcal::HitTest(point.x(), point.y(), m_dFirstCellJulianDay, jd)) return;
  const LocalTime t = JulianDayToDate(jd, DayCountClock(m_settings.calendar));
  ShowMoment(t.year, t.month, t.day, t.hour);
}

std::optional<places::NamedPlace> CMyView::NamedPlace() const {
  if (m_strPlace.empty()) return std::nullopt;
  std::optional<places::NamedPlace> p = places::Find(places::AllPlaces(places::kZoneInfoDir), m_strPlace).place;
  if (!p || !places::IsAt(*p, m_dLongitude, m_dLatitude)) return std::nullopt;
  return p;
}

void CMyView::ShowPlaceName() {
  static const QString kBefore = QStringLiteral(" ― ");
  QWidget* frame = window();
  QString title = frame->windowTitle().section(kBefore, 0, 0);
  if (const std::optional<places::NamedPlace> p = NamedPlace()) title += kBefore + QString::fromStdString(places::Label(*p));
  frame->setWindowTitle(title);
}

void CMyView::OnSettings() {
  // The design shows the place to a tenth of a degree; a place chosen by
  // name keeps its own numbers, so reopening the dialog does not move it.
  const std::optional<places::NamedPlace> named = NamedPlace();
  m_settingsRecord.m_strLongitude = named ? places::DegreesText(m_dLongitude) : text::SjisFormat("%3.1f", m_dLongitude);
  m_settingsRecord.m_strLatitude = named ? places::DegreesText(m_dLatitude) : text::SjisFormat("%3.1f", m_dLatitude);
  m_settingsRecord.m_strAzimuth = text::SjisFormat("%3.0f", m_dAzimuth);
  CSettingsDlg dlg(m_settingsRecord, this);
  dlg.m_bShowHolidays = m_bShowHolidays;
  dlg.m_bShowEclipses = m_bShowEclipses;
  dlg.m_bShowMoonLight = m_bShowMoonLight;
  dlg.m_strPlace = named ? named->name : "";
  dlg.UpdateData(false);
  if (dlg.exec() == QDialog::Accepted) {
    m_bShowHolidays = dlg.m_bShowHolidays;
    m_bShowEclipses = dlg.m_bShowEclipses;
    m_bShowMoonLight = dlg.m_bShowMoonLight;
    m_strPlace = dlg.m_strPlace;
    m_dLongitude = SettingsNumber(m_settingsRecord.m_strLongitude);
    m_dLatitude = SettingsNumber(m_settingsRecord.m_strLatitude);
    m_dAzimuth = SettingsNumber(m_settingsRecord.m_strAzimuth);
    UpdateData(true);
    ApplySettings();
    // The calendar rule may have changed: the year lists are rebuilt with
    // everything else by the one refresh below.
    m_bYearListsStale = true;
  }
  UpdateData(false);
  RequestRefresh();
}

void CMyView::OnExportCalendar() {
  if (!(m_dYear >= ical::kFirstYear && m_dYear < ical::kLastYear + 1)) {
    ReportError(QStringLiteral("iCalendarに書き出せるのは%1年から%2年までです。").arg(ical::kFirstYear).arg(ical::kLastYear));
    return;
  }
  const int year = static_cast<int>(m_dYear);
  QString path = m_strExportPath;
  if (path.isEmpty())
    path = AskSaveFileName(this,
                           {QStringLiteral("iCalendar書き出し"),
                            {QStringLiteral("iCalendar (*.ics)"), QStringLiteral("すべてのファイル (*)")},
                            QStringLiteral("ics")},
                           QStringLiteral("%1年.ics").arg(year));
  if (path.isEmpty()) return;
  std::string error;
  const bool written =
      ical::WriteAlmanacCalendar(path.toStdString(), year, ical::kAllKinds, kCalendarDatabase, m_settings,
                                 SettingsEphemeris(), error);
  if (!written) {
    ReportError(QStringLiteral("iCalendarを書き出せませんでした。\n") + QString::fromStdString(error));
    return;
  }
  if (!m_bQuietErrors) QMessageBox::information(this, QStringLiteral("iCalendar書き出し"), WrittenText(path));
}

void CMyView::OnYearList() {
  if (m_pYearListDlg->IsWindowOpen()) return;
  // The list opens on the date the panel shows; the dates it shows later are
  // its own and never become the main window's.
  CYearListDlg& y = *m_pYearListDlg;
  y.m_strYear = m_shown ? m_shown->year : m_strYear;
  y.m_strMonth = m_shown ? m_shown->month : m_strMonth;
  y.m_strDay = m_shown ? m_shown->day : m_strDay;
  y.Create();
}

std::vector<CalendarEvent> CMyView::AnswerListRequest(const YearEventRequest& request) {
  return YearEventTable(SettingsEphemeris(), request.kind, request.year, request.lastDay,
                        ListClock(m_settings));
}

AstroTable CMyView::AnswerAstroRequest(const AstroInput& input) {
  return ComputeAstroRequest(input, SettingsEphemeris());
}

long CMyView::OnListRequest(int wParam, long /*lParam*/) {
  CYearListDlg& y = *m_pYearListDlg;
  const double listYear = ReadFormNumber(y.m_strYear);
  switch (wParam) {
    case kListRequestPhases:
      y.m_events.phases = AnswerListRequest({EventKind::MoonPhases, listYear, y.m_nEventDays});
      break;
    case kListRequestTerms:
      y.m_events.terms = AnswerListRequest({EventKind::SolarTerms, listYear, y.m_nEventDays});
      break;
    default:
      // The data window's lists (7, 8) are asked for and kept by its yearly
      // file's run (CAstroDataDlg::RequestLists).
      break;
  }
  return 0;
}

void CMyView::OnAstroData() {
  CAstroDataDlg& a = *m_pAstroDataDlg;
  if (a.IsWindowOpen()) return;
  a.m_strYear = m_strYear;
  a.m_strMonth = m_strMonth;
  a.m_strDay = m_strDay;
  a.m_strHour = m_strHour;
  a.m_strLongitude = text::SjisFormat("%4.1f", m_dLongitude);
  a.m_strLatitude = text::SjisFormat("%4.1f", m_dLatitude);
  UpdateData(true);
  a.UpdateData(false);
  a.Create();
}

long CMyView::OnAstroRequest(int wParam, long /*lParam*/) {
  if (wParam != kAstroRequestTable) return 0;
  CAstroDataDlg& a = *m_pAstroDataDlg;
  a.UpdateData(true);
  a.m_table = AnswerAstroRequest(a.Input());
  a.UpdateData(false);
  return 0;
}
