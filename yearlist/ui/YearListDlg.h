// The year list window "一覧表": conversions between Western, era and
// lunisolar dates, the year's sign, two era lists, the year's moon phases and
// solar terms, and the year grid in the lunisolar or the Western layout, with
// its CSV output. Modeless; the main view owns the object for its whole life
// and opens the window from its menu at most once at a time.
#pragma once

#include <QDialog>
#include <QString>
#include <array>
#include <functional>
#include <optional>
#include <string>

#include "yearlist/YearList.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTreeWidget;
class CYearGridFrame;
class CUpDown;

// The list request (WM_LISTREQUEST): the year list asks the main view for the
// phases (wParam 5) or the terms (6) of the typed year, kYearEventDays days,
// as a YearEventRequest; the view answers synchronously into the year list's
// own lists (m_events).
inline constexpr int kListRequestPhases = 5;
inline constexpr int kListRequestTerms = 6;

class CYearListDlg : public QDialog {
  Q_OBJECT

 public:
  // parentView answers the list requests; without one the year list computes
  // its events itself from `ephemeris`. parent is the window the dialog stays above.
  explicit CYearListDlg(const Ephemeris& ephemeris, YearEventSource* parentView = nullptr, QWidget* parent = nullptr);
  ~CYearListDlg() override;

  // The menu command: creates (shows) the window and runs OnInitDialog.
  // Returns false, doing nothing, when the window is already open.
  bool Create();
  bool IsWindowOpen() const;

  // Members the main view and the settings read and write.
  YearEventSource* m_pParentView = nullptr;
  // The calendar rule, zone and model of the main view, and the model's
  // ephemeris (for the lists without a view).
  Moment m_settings;
  std::reference_wrapper<const Ephemeris> m_ephemeris;
  int m_nSignDisplay = 0;
  YearGrid m_strGrid;
  int m_nEventDays = 0;
  int m_nDisplayMode = 0;
  YearEvents m_events;
  std::string m_strYear;   // field 1004
  std::string m_strMonth;  // field 1006
  std::string m_strDay;    // field 1008
  std::string m_strYearSign;  // field 1003
  YearConversions m_conversions;  // fields 1010 .. 1048
  std::string m_strEraByTable;    // combo 1050's selected text
  std::string m_strEraByReading;  // combo 1051's selected text
  std::string m_strSavedDirectory;
  // The year the grid was last filled for: its caption and calendar name,
  // which the view's copies of the date must not change under it.
  int m_nGridYear = 0;

  // Copies between the controls and the member texts.
  void UpdateData(bool toMembers);

  // The window's commands (public so the view and the tests can drive them).
  void CheckYearAndShowLunisolar();
  void CheckYearAndShowWestern();
  void OnYearSpin(int delta);
  void OnEraPick(int list, const QString& item);
  void WriteYearFile(int layout);
  // The same with the file name already chosen (the save dialog's result).
  bool WriteYearFileTo(const std::string& path, std::string& error);
  void DrawYearGrid(int layout);
  // The year the grid's caption and calendar name are made of.
  int GridYear() const;

  // Message boxes go through here; tests may replace it to read them.
  static void (*ShowMessage)(QWidget* parent, const QString& text, const QString& caption);
  // The save-file dialog with a proposed file name; returns the chosen path
  // or an empty text on cancel.
  static QString (*ChooseSaveFile)(QWidget* parent, const QString& proposedName);
  // The name proposed for the file: the file's own caption, 2026年和暦表示.csv.
  QString ProposedFileName() const;

  // Controls, for the view's tests and the dialog's own.
  QLineEdit* YearEdit() const { return m_editYear; }
  QTreeWidget* PhaseList() const { return m_listPhases; }
  QTreeWidget* TermList() const { return m_listTerms; }
  QListWidget* EraListByTable() const { return m_comboEraTable; }
  QListWidget* EraListByReading() const { return m_comboEraReading; }
  QWidget* GridFrame() const;
  QLineEdit* Field(int id) const;

 protected:
  void OnInitDialog();
  bool eventFilter(QObject* watched, QEvent* event) override;
  void accept() override;  // 終了: closes the window, the object stays
  void reject() override;  // Esc: the same, so the menu can open it again

 private:
  void BuildControls();
  void ShowYear(int layout, int year);
  void FillYearPhaseList(int year);
  void FillYearTermList(int year);
  void FillEventList(QTreeWidget* list, const char* title, int wParam, int year);
  void FillEraLists();
  void ReportError(const std::string& error);
  // Enter in a date field: the typed date in the layout on show.
  void ApplyTypedDate();
  // The typed year, read once here for everything the list shows: when the
  // typed year, month and day are numbers and the year is in the list's
  // range. Else nullopt after a message: the first field that is not a
  // number is named, given back the text last shown and selected.
  std::optional<int> TypedYear();

  QLineEdit* m_editYear = nullptr;
  CUpDown* m_spinYear = nullptr;
  QLineEdit* m_editMonth = nullptr;
  QLineEdit* m_editDay = nullptr;
  QLineEdit* m_editYearSign = nullptr;
  std::array<QLineEdit*, 3 * 11> m_rowFields{};
  QTreeWidget* m_listPhases = nullptr;
  QTreeWidget* m_listTerms = nullptr;
  QListWidget* m_comboEraTable = nullptr;
  QListWidget* m_comboEraReading = nullptr;
  QLineEdit* m_editEraTable = nullptr;
  QLineEdit* m_editEraReading = nullptr;
  CYearGridFrame* m_gridFrame = nullptr;
  bool m_bFillingEras = false;
  // The year, month and day texts of the last date shown (or opened on).
  std::array<std::string, 3> m_shownDate;
};
