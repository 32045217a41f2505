// The astronomical data window "天文データ": for a date, an hour and a place
// the user edits, the rise, transit and set times and the coordinates of the
// sun, the moon and the five planets, the day's tides of Tokyo Bay, and the
// yearly data file (FILE出力). Modeless; the main view owns the object for its
// whole life and opens the window from its menu at most once at a time.
#pragma once

#include <QDialog>
#include <QString>
#include <array>
#include <functional>
#include <string>

#include "astro/Model.h"
#include "astrodata/AstroRequest.h"

class QLabel;
class QLineEdit;
class QPushButton;

// What the window asks of the main view, synchronously (the view answers
// before the window goes on), each as a typed request:
// - the table (the astro request, wParam 1): the window's inputs (Input())
//   in, the numbers into the window's own m_table (ComputeAstroRequest);
// - the yearly file's lists (the list request, wParam 8 then 7): the terms,
//   then the phases of m_dEventYear for m_nEventDays days, as
//   YearEventRequests answered into the window's own lists.
// Without a view the window computes the same itself.
inline constexpr int kAstroRequestTable = 1;
inline constexpr int kListRequestDataPhases = 7;
inline constexpr int kListRequestDataTerms = 8;

class CAstroRequestTarget : public YearEventSource {
 public:
  virtual AstroTable AnswerAstroRequest(const AstroInput& input) = 0;
};

class CAstroDataDlg : public QDialog {
  Q_OBJECT

 public:
  // Control ids of the window, as its layout numbers them.
  enum : int {
    IDC_YEAR = 1004, IDC_MONTH = 1006, IDC_DAY = 1008, IDC_HOUR = 1009,
    IDC_LONGITUDE = 1011, IDC_LATITUDE = 1020,
    IDC_RECALC = 1021, IDC_FILEOUT = 1080, IDC_QUIT = 3,
    IDC_HIGHWATER1 = 1076, IDC_HIGHWATER2 = 1077, IDC_LOWWATER1 = 1078, IDC_LOWWATER2 = 1079,
  };
  // Ids of the table's fields by row (kAstroTableRows order) and column
  // (AstroColumn order).
  static const int kCellIds[kAstroRows][kAstroColumns];

  // Without parentView the window computes from `ephemeris` itself.
  explicit CAstroDataDlg(const Ephemeris& ephemeris, CAstroRequestTarget* parentView = nullptr,
                         QWidget* parent = nullptr);
  ~CAstroDataDlg() override;

  // The menu command: shows the window. Returns false, doing nothing, when
  // the window is already open.
  bool Create();
  bool IsWindowOpen() const;

  // Copies between the controls and the member texts: true = controls to
  // members, false = members to controls.
  void UpdateData(bool toMembers);
  // The input texts as one record, for the view's answer to the astro request.
  AstroInput Input() const;

  // 再計算表示: the view computes the table, the window writes its texts.
  // Opening the window and every refresh of the main view do the same, so the
  // table is always the one of the moment the fields show.
  void OnRecalc();
  // FILE出力: Memory rewritten for the year, a file asked for, the year written.
  void OnFileOutput();
  // The same from the point where the file name is known; false with `error`
  // set when the database or the file failed.
  bool WriteFileTo(const std::string& path, std::string& error);
  // 終了: closes the window; the object stays with the view.
  void OnQuitDialog();

  // The field with a control id (inputs, table cells, tides), or null.
  QLineEdit* Field(int id) const;
  QPushButton* Button(int id) const;

  // Message boxes and the save-file dialog go through these; tests replace them.
  static void (*ShowMessage)(QWidget* parent, const QString& text, const QString& caption);
  static QString (*AskSaveFileName)(QWidget* parent, const QString& proposedName);

  CAstroRequestTarget* m_pParentView = nullptr;

  // Input texts (fields 1004, 1006, 1008, 1009, 1011, 1020).
  std::string m_strYear;
  std::string m_strMonth;
  std::string m_strDay;
  std::string m_strHour;
  std::string m_strLongitude;
  std::string m_strLatitude;
  // The calendar rule, zone and model the dates are read and computed under:
  // the main view's settings, and the model's ephemeris (used without a view).
  Moment m_settings;
  std::reference_wrapper<const Ephemeris> m_ephemeris;

  // The numbers of the last request, and the output texts made from them.
  AstroTable m_table;
  std::array<std::array<std::string, kAstroColumns>, kAstroRows> m_strCells;

  // The list requests of the yearly output.
  double m_dEventYear = 0.0;
  int m_nEventDays = 0;

 protected:
  void accept() override;  // Enter (終了 is the default button)
  void reject() override;  // Esc and the close box

 private:
  void BuildControls();
  void RequestTable();
  void RequestLists(AstroYearEvents& events);
  bool PrepareMemory(AstroYearEvents& events, std::string& error);
  bool WriteYear(const AstroYearEvents& events, const std::string& path, std::string& error);
  void FormatTable();

  std::array<QLineEdit*, 6> m_inputs{};
  std::array<std::array<QLineEdit*, kAstroColumns>, kAstroRows> m_cells{};
  std::array<QLineEdit*, kTideCount> m_tides{};
  QPushButton* m_btnRecalc = nullptr;
  QPushButton* m_btnFile = nullptr;
  QPushButton* m_btnQuit = nullptr;
};
