#include "astrodata/ui/AstroDataDlg.h"

#include <unistd.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <algorithm>
#include <cstdlib>
#include <iterator>

#include "core/Text.h"
#include "widgets/AlmanacFont.h"
#include "widgets/CsvFileDialog.h"
#include "widgets/DialogUnits.h"
#include "widgets/FieldText.h"
#include "widgets/WindowPlacement.h"

namespace {

QRect Du(int x, int y, int w, int h) {
  return QRect(x * kPixelsPerDialogUnit, y * kPixelsPerDialogUnit, w * kPixelsPerDialogUnit,
               h * kPixelsPerDialogUnit);
}

QString Q(const std::string& s) { return QString::fromStdString(s); }
std::string S(const QString& s) { return s.toStdString(); }

// The window: 374 x 175 dialog units, opened beside the main window.
constexpr int kDialogWidth = 374, kDialogHeight = 175;
// The table: columns every 32 units from x 36, rows every 16 units from y 64,
// each field 28 wide.
constexpr int kFirstColumnX = 36, kColumnStep = 32, kFirstRowY = 64, kRowStep = 16;
constexpr int kFieldWidth = 28, kFieldHeight = 13;
constexpr int kTideX = 328;

const char* const kCaption = "天文データ";

void DefaultMessage(QWidget* parent, const QString& text, const QString& caption) {
  QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok, parent);
  box.exec();
}

std::string CurrentDirectory() {
  char buf[4096];
  return ::getcwd(buf, sizeof buf) ? std::string(buf) : std::string();
}

}  // namespace

const int CAstroDataDlg::kCellIds[kAstroRows][kAstroColumns] = {
    {1010, 1012, 1013, 1014, 1015, 1016, 1017, 1018, 1019},  // 太陽
    {1022, 1023, 1024, 1025, 1026, 1027, 1028, 1029, 1030},  // 月
    {1032, 1033, 1034, 1035, 1037, 1038, 1039, 1031, 1036},  // 水星
    {1041, 1042, 1043, 1044, 1046, 1047, 1048, 1040, 1045},  // 金星
    {1049, 1050, 1051, 1052, 1053, 1054, 1055, 1056, 1057},  // 火星
    {1058, 1059, 1060, 1061, 1062, 1063, 1064, 1065, 1066},  // 木星
    {1067, 1068, 1069, 1070, 1071, 1072, 1073, 1074, 1075},  // 土星
};

void (*CAstroDataDlg::ShowMessage)(QWidget*, const QString&, const QString&) = DefaultMessage;
QString (*CAstroDataDlg::AskSaveFileName)(QWidget*, const QString&) = AskCsvFileName;

CAstroDataDlg::CAstroDataDlg(const Ephemeris& ephemeris, CAstroRequestTarget* parentView, QWidget* parent)
    : QDialog(parent), m_pParentView(parentView), m_ephemeris(ephemeris) {
  setWindowTitle(QString::fromUtf8(kCaption));
  setModal(false);
  setFixedSize(Du(0, 0, kDialogWidth, kDialogHeight).size());
  setFont(AlmanacFont(12));
  BuildControls();
}

CAstroDataDlg::~CAstroDataDlg() = default;

void CAstroDataDlg::BuildControls() {
  auto label = [this](const char* text, QRect r) {
    auto* l = new QLabel(QString::fromUtf8(text), this);
    l->setGeometry(r);
  };
  auto edit = [this](int id, QRect r, bool readOnly) {
    auto* e = new QLineEdit(this);
    e->setObjectName(QString::number(id));
    e->setGeometry(r);
    e->setReadOnly(readOnly);
    e->setTextMargins(0, 0, 0, 0);
    return e;
  };
  auto button = [this](int id, const char* text, QRect r) {
    auto* b = new QPushButton(QString::fromUtf8(text), this);
    b->setObjectName(QString::number(id));
    b->setGeometry(r);
    b->setAutoDefault(false);
    return b;
  };

  // The inputs across the top, each label before its field and a gap after
  // the field, so that no label runs into the field before it.
  const struct {
    const char* text;
    int id, width;
  } inputs[] = {{"西暦", IDC_YEAR, 28}, {"月", IDC_MONTH, 16},      {"日", IDC_DAY, 16},
                {"時", IDC_HOUR, 24},   {"東経", IDC_LONGITUDE, 30}, {"北緯", IDC_LATITUDE, 30}};
  constexpr int kInputGap = 4;
  int x = 4;
  for (std::size_t i = 0; i < std::size(inputs); ++i) {
    const auto& in = inputs[i];
    const int labelWidth = in.text[3] ? 16 : 8;  // two kanji or one
    label(in.text, Du(x, 10, labelWidth, 12));
    m_inputs[i] = edit(in.id, Du(x + labelWidth, 8, in.width, 14), false);
    x += labelWidth + in.width + kInputGap;
  }
  m_btnRecalc = button(IDC_RECALC, "再計算表示", Du(244, 6, 54, 16));
  m_btnFile = button(IDC_FILEOUT, "FILE出力", Du(304, 6, 50, 16));
  m_btnQuit = button(IDC_QUIT, "終了", Du(304, 26, 50, 16));
  // Enter in a field closes the window (終了 is the default button); on a
  // button it presses that button, as Space does.
  for (QPushButton* b : {m_btnRecalc, m_btnFile, m_btnQuit}) b->setAutoDefault(true);
  m_btnQuit->setDefault(true);

  for (int c = 0; c < kAstroColumns; ++c)
    label(AstroColumnNames[c], Du(kFirstColumnX + c * kColumnStep, 50, kColumnStep, 12));
  for (int r = 0; r < kAstroRows; ++r) {
    const int y = kFirstRowY + r * kRowStep;
    label(AstroTableRowNames[r], Du(4, y + 1, 30, 12));
    for (int c = 0; c < kAstroColumns; ++c)
      m_cells[r][c] = edit(kCellIds[r][c], Du(kFirstColumnX + c * kColumnStep, y, kFieldWidth, kFieldHeight), true);
  }

  label("東京湾潮汐", Du(kTideX, 50, 46, 12));
  const int tideIds[kTideCount] = {IDC_HIGHWATER1, IDC_HIGHWATER2, IDC_LOWWATER1, IDC_LOWWATER2};
  for (int i = 0; i < kTideCount; ++i) {
    const int y = kFirstRowY + i * kRowStep;
    m_tides[i] = edit(tideIds[i], Du(kTideX, y, 28, kFieldHeight), true);
    label(i < 2 ? "満潮" : "干潮", Du(kTideX + 30, y + 1, 16, 12));
  }

  connect(m_btnRecalc, &QPushButton::clicked, this, [this] { OnRecalc(); });
  connect(m_btnFile, &QPushButton::clicked, this, [this] { OnFileOutput(); });
  connect(m_btnQuit, &QPushButton::clicked, this, [this] { OnQuitDialog(); });
}

bool CAstroDataDlg::Create() {
  if (IsWindowOpen()) return false;
  UpdateData(false);
  // Every opening shows the table of the moment its fields show.
  OnRecalc();
  MoveBeside(this, parentWidget());
  show();
  activateWindow();
  return true;
}

bool CAstroDataDlg::IsWindowOpen() const { return isVisible(); }

void CAstroDataDlg::UpdateData(bool toMembers) {
  std::string* const inputs[] = {&m_strYear, &m_strMonth, &m_strDay, &m_strHour, &m_strLongitude, &m_strLatitude};
  for (std::size_t i = 0; i < m_inputs.size(); ++i) {
    if (toMembers)
      *inputs[i] = S(m_inputs[i]->text());
    else
      ShowFieldText(m_inputs[i], Q(*inputs[i]));
  }
  if (toMembers) return;  // the outputs only ever go to the controls
  for (int r = 0; r < kAstroRows; ++r)
    for (int c = 0; c < kAstroColumns; ++c) ShowFieldText(m_cells[r][c], Q(m_strCells[r][c]));
  const DateClock on = PlaceClock(AstroInputMoment(Input()));
  for (int i = 0; i < kTideCount; ++i) ShowFieldText(m_tides[i], Q(TideTimeText(TideMoment(m_table.tides, i), on)));
}

AstroInput CAstroDataDlg::Input() const {
  return {m_strYear, m_strMonth, m_strDay, m_strHour, m_strLongitude, m_strLatitude, m_settings};
}

void CAstroDataDlg::RequestTable() {
  UpdateData(true);
  m_table = m_pParentView ? m_pParentView->AnswerAstroRequest(Input()) : ComputeAstroRequest(Input(), m_ephemeris);
  UpdateData(false);
}

void CAstroDataDlg::FormatTable() {
  for (int r = 0; r < kAstroRows; ++r)
    for (int c = 0; c < kAstroColumns; ++c) m_strCells[r][c] = AstroCellText(m_table, r, static_cast<AstroColumn>(c));
}

void CAstroDataDlg::OnRecalc() {
  RequestTable();
  FormatTable();
  UpdateData(false);
}

void CAstroDataDlg::RequestLists(AstroYearEvents& events) {
  m_dEventYear = std::atoi(m_strYear.c_str());
  m_nEventDays = kYearEventDays;
  if (!m_pParentView) {
    events = CollectYearEvents(static_cast<int>(m_dEventYear), m_settings, m_ephemeris);
    return;
  }
  events.terms = m_pParentView->AnswerListRequest({EventKind::SolarTerms, m_dEventYear, m_nEventDays});
  events.phases = m_pParentView->AnswerListRequest({EventKind::MoonPhases, m_dEventYear, m_nEventDays});
}

bool CAstroDataDlg::PrepareMemory(AstroYearEvents& events, std::string& error) {
  UpdateData(true);
  RequestLists(events);
  return StoreYearEvents(std::atoi(m_strYear.c_str()), events, ListClock(m_settings), error);
}

bool CAstroDataDlg::WriteYear(const AstroYearEvents& events, const std::string& path, std::string& error) {
  const std::string month = m_strMonth, day = m_strDay;
  const AstroDayRequest request = [this](double month, double day) {
    // The window shows the day being written.
    m_strMonth = text::SjisFormat("%2.0f", month);
    m_strDay = text::SjisFormat("%2.0f", day);
    UpdateData(false);
    RequestTable();
    return m_table;
  };
  QApplication::setOverrideCursor(Qt::WaitCursor);
  // Memory is written again with the reading: another program may have
  // rewritten it for its own year while the file was being chosen.
  const bool ok = StoreAndWriteYearlyFile(std::atoi(m_strYear.c_str()), events, path, Input(), request, true, error);
  // The window shows the days as they are written, then the moment it showed
  // before, table and tides alike.
  m_strMonth = month;
  m_strDay = day;
  UpdateData(false);
  OnRecalc();
  QApplication::restoreOverrideCursor();
  return ok;
}

bool CAstroDataDlg::WriteFileTo(const std::string& path, std::string& error) {
  AstroYearEvents events;
  return PrepareMemory(events, error) && WriteYear(events, path, error);
}

void CAstroDataDlg::OnFileOutput() {
  const QString caption = QStringLiteral("FILE出力");
  std::string error;
  AstroYearEvents events;
  if (!PrepareMemory(events, error)) {
    ShowMessage(this, Q(error), caption);
    return;
  }
  const std::string saved = CurrentDirectory();
  const QString path = AskSaveFileName(this, Q(m_strYear).trimmed() + QStringLiteral("年天文データ.csv"));
  // The calendar database is opened by a name relative to this directory.
  if (!saved.empty() && ::chdir(saved.c_str()) != 0) {
    ShowMessage(this, QStringLiteral("作業フォルダに戻れません: ") + Q(saved), caption);
    return;
  }
  if (path.isEmpty()) return;
  if (!WriteYear(events, S(path), error))
    ShowMessage(this, QStringLiteral("ファイルに書き込めませんでした。\n") + Q(error), caption);
  else
    ShowMessage(this, WrittenText(path), caption);
}

void CAstroDataDlg::OnQuitDialog() { hide(); }

void CAstroDataDlg::accept() { OnQuitDialog(); }

void CAstroDataDlg::reject() { OnQuitDialog(); }

QLineEdit* CAstroDataDlg::Field(int id) const { return findChild<QLineEdit*>(QString::number(id)); }

QPushButton* CAstroDataDlg::Button(int id) const { return findChild<QPushButton*>(QString::number(id)); }
