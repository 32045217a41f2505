#include "view/ui/SettingsDlg.h"

#include <algorithm>

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardItemModel>

#include "astro/EclipseDays.h"
#include "astro/MoonLight.h"
#include "holidays/Holidays.h"
#include "widgets/AlmanacFont.h"
#include "widgets/FieldText.h"
#include "widgets/DialogUnits.h"

namespace {

constexpr int kDu = kPixelsPerDialogUnit;

QRect DuRect(int x, int y, int w, int h) { return QRect(x * kDu, y * kDu, w * kDu, h * kDu); }

template <class W>
W* PlaceControl(W* w, int id, QRect r) {
  if (id) w->setObjectName(QString::number(id));
  w->setGeometry(r);
  return w;
}

void Label(QWidget* parent, const char* text, int x, int y) {
  auto* l = new QLabel(QString::fromUtf8(text), parent);
  l->move(x * kDu, y * kDu);
  l->adjustSize();
}

QLineEdit* Edit(QWidget* parent, int id, QRect r) { return PlaceControl(new QLineEdit(parent), id, r); }

// A check box whose own text toggles it, as its box does.
QCheckBox* Check(QWidget* parent, int id, const char* text, QRect r) {
  return PlaceControl(new QCheckBox(QString::fromUtf8(text), parent), id, r);
}

void Radio(QWidget* parent, QButtonGroup* group, int index, int id, const char* text, QRect r) {
  auto* b = PlaceControl(new QRadioButton(QString::fromUtf8(text), parent), id, r);
  group->addButton(b, index);
}

void Group(QWidget* parent, const char* title, QRect r) {
  auto* g = PlaceControl(new QGroupBox(QString::fromUtf8(title), parent), 0, r);
  g->lower();
}

QString Qs(const std::string& s) { return QString::fromStdString(s); }

}  // namespace

CSettingsDlg::CSettingsDlg(SettingsRecord& settings, QWidget* parent) : QDialog(parent), m_settings(settings) {
  setWindowTitle(QStringLiteral("設定値入力"));
  setFont(AlmanacFont(12));
  // The design's 79 units, and rows under them for the additions.
  setFixedSize(303 * kDu, 126 * kDu);

  Group(this, "暦", DuRect(85, 0, 90, 40));
  Group(this, "カレンダー", DuRect(180, 0, 50, 40));
  Group(this, "画面自動更新", DuRect(140, 45, 110, 30));
  Group(this, "プラネタリウム", DuRect(235, 0, 60, 40));

  Label(this, "東経", 10, 5);
  m_editLongitude = Edit(this, 1003, DuRect(35, 5, 45, 15));
  Label(this, "北緯", 10, 25);
  m_editLatitude = Edit(this, 1004, DuRect(35, 25, 45, 15));
  Label(this, "プラネタリウム方位角", 10, 45);
  m_editAzimuth = Edit(this, 1005, DuRect(80, 45, 45, 15));
  Label(this, "（南　0　西　90　北　180　東　－90度）", 15, 60);

  m_groupCalendar = new QButtonGroup(this);
  Radio(this, m_groupCalendar, 0, 1034, "ユリウス＋グレゴリオ暦", DuRect(90, 10, 84, 10));
  Radio(this, m_groupCalendar, 1, 1035, "グレゴリオ暦", DuRect(90, 25, 53, 10));
  m_groupSigns = new QButtonGroup(this);
  Radio(this, m_groupSigns, 0, 1036, "干支表示", DuRect(185, 10, 43, 10));
  Radio(this, m_groupSigns, 1, 1037, "六曜表示", DuRect(185, 25, 43, 10));

  // The group's title names the box; the interval's label is its buddy.
  m_checkAutoUpdate = Check(this, 1038, "", DuRect(150, 55, 8, 10));
  m_editInterval = Edit(this, 1007, DuRect(170, 55, 30, 15));
  Label(this, "更新間隔(分)", 205, 55);
  m_checkConstellations = Check(this, 1041, "星座表示", DuRect(240, 10, 54, 10));
  m_checkMansions = Check(this, 1042, "二十八宿表示", DuRect(240, 25, 54, 10));

  m_checkHolidays = Check(this, 0, "祝日を表示", DuRect(10, 78, 48, 10));
  m_checkHolidays->setObjectName(QStringLiteral("holidays"));
  m_checkEclipses = Check(this, 0, "日食・月食を表示", DuRect(60, 78, 76, 10));
  m_checkEclipses->setObjectName(QStringLiteral("eclipses"));
  m_checkMoonLight = Check(this, 0, "輝面比を表示", DuRect(170, 113, 80, 10));
  m_checkMoonLight->setObjectName(QStringLiteral("moonlight"));

  // The choice of astronomical model, kept in ombrel.conf.
  Group(this, "計算方式", DuRect(10, 90, 120, 22));
  m_groupModel = new QButtonGroup(this);
  Radio(this, m_groupModel, 0, 1050, "標準", DuRect(15, 99, 40, 10));
  Radio(this, m_groupModel, 1, 1051, "高精度", DuRect(60, 99, 50, 10));

  // The time zone the times are shown on, kept in ombrel.conf: a name of the
  // tz database, or "design" for the whole-hour zone nearest the longitude.
  Label(this, "時間帯", 140, 80);
  m_comboZone = PlaceControl(new QComboBox(this), 0, DuRect(170, 78, 80, 15));
  m_comboZone->setObjectName(QStringLiteral("zone"));
  m_comboZone->setEditable(true);
  m_comboZone->addItems({QString::fromUtf8(TimeZone::kDefaultName), QString::fromUtf8(TimeZone::kDesignName)});

  // A place by name: fills 東経, 北緯 and (abroad) the zone; kept in ombrel.conf.
  Label(this, "地点", 140, 97);
  m_comboPlace = PlaceControl(new QComboBox(this), 0, DuRect(170, 95, 125, 15));
  m_comboPlace->setObjectName(QStringLiteral("place"));
  m_comboPlace->setMaxVisibleItems(20);
  FillPlaceList();
  connect(m_comboPlace, &QComboBox::activated, this, &CSettingsDlg::PlaceChosen);

  auto* ok = PlaceControl(new QPushButton(QStringLiteral("終了"), this), 1, DuRect(260, 45, 40, 30));
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &CSettingsDlg::accept);

  UpdateData(false);
}

void CSettingsDlg::FillPlaceList() {
  m_places = places::AllPlaces(places::kZoneInfoDir);
  // Abroad by zone name (Africa/…, America/…, Asia/…), as one looks a zone up.
  const auto abroad = std::find_if(m_places.begin(), m_places.end(), [](const places::NamedPlace& p) { return p.zone; });
  std::sort(abroad, m_places.end(),
            [](const places::NamedPlace& a, const places::NamedPlace& b) { return a.name < b.name; });
  auto* model = qobject_cast<QStandardItemModel*>(m_comboPlace->model());
  m_comboPlace->addItem(QStringLiteral("（地点を選ぶ）"));
  std::string region;
  for (std::size_t i = 0; i < m_places.size(); ++i) {
    const places::NamedPlace& p = m_places[i];
    if (p.region != region) {
      region = p.region;
      m_comboPlace->addItem(QStringLiteral("―― %1 ――").arg(Qs(region)));
      model->item(m_comboPlace->count() - 1)->setEnabled(false);
    }
    m_comboPlace->addItem(Qs(places::Label(p)), static_cast<int>(i));
  }
}

void CSettingsDlg::PlaceChosen(int index) {
  const QVariant chosen = m_comboPlace->itemData(index);
  if (!chosen.isValid()) return;
  const places::NamedPlace& p = m_places[chosen.toInt()];
  m_editLongitude->setText(Qs(places::DegreesText(p.place.longitude)));
  m_editLatitude->setText(Qs(places::DegreesText(p.place.latitude)));
  // Abroad the place's zone; in Japan Japan's, unless the zone follows the longitude.
  if (p.zone)
    m_comboZone->setCurrentText(Qs(*p.zone));
  else if (m_comboZone->currentText().trimmed() != QString::fromUtf8(TimeZone::kDesignName))
    m_comboZone->setCurrentText(QString::fromUtf8(TimeZone::kDefaultName));
}

std::optional<places::NamedPlace> CSettingsDlg::PlaceOfFields() const {
  const QVariant chosen = m_comboPlace->currentData();
  if (!chosen.isValid()) return std::nullopt;
  const places::NamedPlace& p = m_places[chosen.toInt()];
  if (!places::IsAt(p, SettingsNumber(m_editLongitude->text().toStdString()),
                    SettingsNumber(m_editLatitude->text().toStdString())))
    return std::nullopt;
  return p;
}

void CSettingsDlg::UpdateData(bool toMembers) {
  SettingsRecord& s = m_settings;
  if (toMembers) {
    s.m_strLongitude = m_editLongitude->text().toStdString();
    s.m_strLatitude = m_editLatitude->text().toStdString();
    s.m_strAzimuth = m_editAzimuth->text().toStdString();
    // A group with no button checked (a value from a hand-edited file) keeps that value.
    if (m_groupCalendar->checkedId() >= 0) s.m_nCalendarMode = m_groupCalendar->checkedId();
    if (m_groupSigns->checkedId() >= 0) s.m_nSignDisplay = m_groupSigns->checkedId();
    s.m_bAutoUpdate = m_checkAutoUpdate->isChecked() ? 1 : 0;
    s.m_strInterval = m_editInterval->text().toStdString();
    s.m_bConstellations = m_checkConstellations->isChecked() ? 1 : 0;
    s.m_bMansions = m_checkMansions->isChecked() ? 1 : 0;
    m_bShowHolidays = m_checkHolidays->isChecked();
    m_bShowEclipses = m_checkEclipses->isChecked();
    m_bShowMoonLight = m_checkMoonLight->isChecked();
    s.m_model = m_groupModel->checkedId() == 1 ? AstroModel::Precise : AstroModel::Design;
    s.m_strZone = m_comboZone->currentText().trimmed().toStdString();
    const std::optional<places::NamedPlace> place = PlaceOfFields();
    m_strPlace = place ? place->name : "";
    return;
  }
  ShowFieldText(m_editLongitude, Qs(s.m_strLongitude));
  ShowFieldText(m_editLatitude, Qs(s.m_strLatitude));
  ShowFieldText(m_editAzimuth, Qs(s.m_strAzimuth));
  for (auto [group, value] : {std::pair{m_groupCalendar, s.m_nCalendarMode}, std::pair{m_groupSigns, s.m_nSignDisplay}}) {
    QAbstractButton* b = group->button(value);
    if (b) {
      b->setChecked(true);
    } else {
      // A value no button stands for (from a hand-edited file) selects none.
      group->setExclusive(false);
      for (QAbstractButton* other : group->buttons()) other->setChecked(false);
      group->setExclusive(true);
    }
  }
  m_checkAutoUpdate->setChecked(s.m_bAutoUpdate == 1);
  ShowFieldText(m_editInterval, Qs(s.m_strInterval));
  m_checkConstellations->setChecked(s.m_bConstellations == 1);
  m_checkMansions->setChecked(s.m_bMansions == 1);
  m_groupModel->button(s.m_model == AstroModel::Precise ? 1 : 0)->setChecked(true);
  m_checkHolidays->setChecked(m_bShowHolidays);
  m_checkEclipses->setChecked(m_bShowEclipses);
  m_checkMoonLight->setChecked(m_bShowMoonLight);
  m_comboZone->setCurrentText(Qs(s.m_strZone));
  int shown = 0;
  for (int i = 0; i < m_comboPlace->count() && !m_strPlace.empty(); ++i) {
    const QVariant data = m_comboPlace->itemData(i);
    if (data.isValid() && m_places[data.toInt()].name == m_strPlace) shown = i;
  }
  m_comboPlace->setCurrentIndex(shown);
}

bool CSettingsDlg::SaveAdditions(std::string& error) const {
  Conf conf;
  conf.Load(m_strConfPath);
  const bool samePlace = conf.Get(places::kPlaceKey) == m_strPlace;
  if (holidays::Shown(conf) == m_bShowHolidays && eclipses::Shown(conf) == m_bShowEclipses &&
      moonlight::Shown(conf) == m_bShowMoonLight && samePlace)
    return true;
  // Each key is written only when it changes, so an untouched one stays absent.
  if (holidays::Shown(conf) != m_bShowHolidays) holidays::SetShown(conf, m_bShowHolidays);
  if (eclipses::Shown(conf) != m_bShowEclipses) eclipses::SetShown(conf, m_bShowEclipses);
  if (moonlight::Shown(conf) != m_bShowMoonLight) moonlight::SetShown(conf, m_bShowMoonLight);
  if (!samePlace) conf.Set(places::kPlaceKey, m_strPlace);
  return conf.Save(error, m_strConfPath);
}

QString ZoneRefusal(const std::string& name) {
  return QStringLiteral("時間帯「%1」は tz データベースにありません。").arg(Qs(name));
}

namespace {

// The refusal of a typed place value, naming its field.
QString PlaceRefusal(int line, const QString& text, PlaceProblem problem) {
  static const char* const kFields[] = {"東経", "北緯", "プラネタリウム方位角"};
  const QString value = QStringLiteral("%1「%2」").arg(QString::fromUtf8(kFields[line - 1]), text);
  switch (problem) {
    case PlaceProblem::kNotANumber: return value + QStringLiteral("は数字ではありません（例: 139.7、-35）。");
    case PlaceProblem::kNotFinite: return value + QStringLiteral("は使える数ではありません。");
    case PlaceProblem::kBeyondLimit:
      return value + QStringLiteral("は ±%1 度を超えています。").arg(SettingsLimit(line), 0, 'f', 0);
  }
  return QString();
}

}  // namespace

QString SettingsWarningText(const SettingsWarning& warning) {
  struct Words {
    QString operator()(const SettingsNotRead& w) const {
      return QStringLiteral("設定ファイルを読めません（%1）。設定は既定のままです。").arg(Qs(w.why));
    }
    QString operator()(const SettingsLineCut& w) const {
      return QStringLiteral("%1 の %2 行目が %3 バイトを超えています。そこまでを読み、後の行は読みません。")
          .arg(QString::fromUtf8(kSettingsFileName))
          .arg(w.lineNo)
          .arg(kMaxSettingsLineBytes);
    }
    QString operator()(const SettingsDoubtfulEncoding&) const {
      return QStringLiteral("%1 は CP932 としても UTF-8 としても正しくない文字を含みます。CP932 として読みました。")
          .arg(QString::fromUtf8(kSettingsFileName));
    }
    QString operator()(const SettingsPlaceReplaced& w) const {
      return QStringLiteral("%1 の %2 行目: ").arg(QString::fromUtf8(kSettingsFileName)).arg(w.lineNo) +
             PlaceRefusal(w.lineNo, Qs(w.value), w.problem) +
             QStringLiteral("%1 を使います。").arg(QString::fromUtf8(SettingsDefault(w.lineNo)));
    }
  };
  return std::visit(Words{}, warning);
}

void CSettingsDlg::Refuse(QLineEdit* field, const QString& text, const QString& shown) {
  QMessageBox::warning(this, windowTitle(), text);
  field->setText(shown);
  field->setFocus();
  field->selectAll();
}

bool CSettingsDlg::EntriesAccepted() {
  // A place that is not a number, or one the sky cannot be drawn for (a
  // longitude beyond ±180, a latitude beyond ±90), is refused on entry; the
  // field shows its value from before again and the dialog stays open.
  QLineEdit* const places[] = {m_editLongitude, m_editLatitude, m_editAzimuth};
  const std::string* const before[] = {&m_settings.m_strLongitude, &m_settings.m_strLatitude,
                                       &m_settings.m_strAzimuth};
  for (int line = 1; line <= 3; ++line) {
    QLineEdit* field = places[line - 1];
    const std::optional<PlaceProblem> problem = SettingsEntryCheck(line, field->text().toStdString());
    if (!problem) continue;
    Refuse(field, PlaceRefusal(line, field->text(), *problem), Qs(*before[line - 1]));
    return false;
  }
  // A zone the tz database does not know is refused too; an empty one is the default.
  if (m_comboZone->currentText().trimmed().isEmpty()) m_comboZone->setCurrentText(QString::fromUtf8(TimeZone::kDefaultName));
  const std::string zone = m_comboZone->currentText().trimmed().toStdString();
  std::string error;
  if (!TimeZone::Named(zone, error)) {
    Refuse(m_comboZone->lineEdit(),
           ZoneRefusal(zone) + QStringLiteral("\nAsia/Tokyo のような名前か design を入力してください。"),
           Qs(m_settings.m_strZone));
    return false;
  }
  return true;
}

void CSettingsDlg::accept() {
  if (!EntriesAccepted()) return;
  std::string error;
  UpdateData(true);
  if (!SaveSettings(m_settings, error, m_strFilePath.c_str()) || !SaveAdditions(error)) {
    QMessageBox::warning(this, windowTitle(), QStringLiteral("設定値を保存できませんでした。\n") + Qs(error));
  }
  if (!SaveModelSetting(m_settings, error, m_strConfPath)) {
    QMessageBox::warning(this, windowTitle(), QStringLiteral("計算方式を保存できませんでした。\n") + Qs(error));
  }
  QDialog::accept();
}
