// The settings dialog "設定値入力": edits the main view's settings record.
// Its 終了 (OK) writes the file before closing; the close box and Escape cancel.
#pragma once

#include <QDialog>

#include <optional>
#include <string>
#include <vector>

#include "almanac/Settings.h"
#include "core/Conf.h"
#include "places/Places.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLineEdit;

class CSettingsDlg : public QDialog {
  Q_OBJECT

 public:
  explicit CSettingsDlg(SettingsRecord& settings, QWidget* parent = nullptr);

  // Copies between the ten controls and the record: true = controls to record.
  void UpdateData(bool toMembers);
  // Where OK writes the file (the bare name in the working directory).
  std::string m_strFilePath = kSettingsFileName;
  // The additions' switches, kept in their own file (ombrel.conf): the
  // holidays in the 暦注 list and the month calendar.
  bool m_bShowHolidays = false;
  // ... and the eclipses in the 暦注 list and the sky readout.
  bool m_bShowEclipses = false;
  // ... and the moon's light in the sky readout.
  bool m_bShowMoonLight = false;
  // The place chosen from the list (its name, kept as place= in ombrel.conf);
  // OK empties it when the fields no longer hold that place.
  std::string m_strPlace;
  // Where OK writes the additions (the holidays and eclipses switches, the model choice).
  std::string m_strConfPath = kConfFileName;

 public slots:
  // 終了: takes the controls into the record, writes the file, closes with OK.
  // A file that cannot be written is reported; the values apply all the same.
  void accept() override;

 private:
  SettingsRecord& m_settings;
  QLineEdit* m_editLongitude = nullptr;
  QLineEdit* m_editLatitude = nullptr;
  QLineEdit* m_editAzimuth = nullptr;
  QLineEdit* m_editInterval = nullptr;
  QButtonGroup* m_groupCalendar = nullptr;
  QButtonGroup* m_groupSigns = nullptr;
  QButtonGroup* m_groupModel = nullptr;
  QComboBox* m_comboZone = nullptr;
  QCheckBox* m_checkAutoUpdate = nullptr;
  QCheckBox* m_checkConstellations = nullptr;
  QCheckBox* m_checkMansions = nullptr;
  QCheckBox* m_checkHolidays = nullptr;
  QCheckBox* m_checkEclipses = nullptr;
  QCheckBox* m_checkMoonLight = nullptr;
  QComboBox* m_comboPlace = nullptr;
  // The list's places: the prefectural offices, then each zone's place.
  std::vector<places::NamedPlace> m_places;

  // The list under its region headings; a place fills the fields and zone.
  void FillPlaceList();
  void PlaceChosen(int index);
  // The place the list shows, if it still lies where the fields say.
  std::optional<places::NamedPlace> PlaceOfFields() const;

  // Writes ombrel.conf when a switch differs from what it holds.
  bool SaveAdditions(std::string& error) const;
  // Checks the places and the zone; a refusal is said in Japanese, naming
  // the field, which shows its value from before again, selected.
  bool EntriesAccepted();
  void Refuse(QLineEdit* field, const QString& text, const QString& shown);
};

// The first sentence of every refusal of a zone name, in the dialog and at
// start-up.
QString ZoneRefusal(const std::string& name);
// What the start-up's read of ombrel.dat could not take, in the dialog's words.
QString SettingsWarningText(const SettingsWarning& warning);
