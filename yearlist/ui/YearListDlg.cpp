#include "yearlist/ui/YearListDlg.h"

#include <unistd.h>

#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QTreeWidget>
#include <algorithm>
#include <climits>
#include <map>

#include "astro/Model.h"
#include "caldb/Eras.h"
#include "core/Text.h"
#include "widgets/AlmanacFont.h"
#include "widgets/CsvFileDialog.h"
#include "widgets/DialogUnits.h"
#include "widgets/FieldText.h"
#include "widgets/UpDown.h"
#include "widgets/WindowPlacement.h"
#include "yearlist/ui/YearGridView.h"

namespace {

// Every control is placed at 2 pixels per dialog unit.
constexpr int kDu = kPixelsPerDialogUnit;
QRect Du(int x, int y, int w, int h) { return QRect(x * kDu, y * kDu, w * kDu, h * kDu); }

// The dialog's own size in dialog units: everything of the template fits.
constexpr int kDialogWidthDu = 560;
constexpr int kDialogHeightDu = 405;

// The eleven columns of the conversion rows: x and width in dialog units.
struct RowColumn {
  int x, width;
};
constexpr RowColumn kRowColumns[11] = {{35, 40},  {75, 15},  {95, 40},  {136, 19}, {160, 15}, {180, 15},
                                       {205, 15}, {225, 15}, {245, 20}, {270, 20}, {295, 30}};
// Field ids of the three rows, in the column order above.
constexpr int kRowIds[3][11] = {{1010, 1012, 1011, 1013, 1014, 1015, 1016, 1017, 1018, 1019, 1022},
                                {1023, 1024, 1025, 1026, 1028, 1029, 1030, 1032, 1033, 1034, 1036},
                                {1037, 1038, 1039, 1040, 1041, 1042, 1043, 1044, 1045, 1046, 1048}};
constexpr int kRowY[3] = {50, 70, 90};
constexpr int kRowHeightDu = 15;

const char* const kPhaseListTitle = "月のこよみ";
const char* const kTermListTitle = "二十四節季";

QString Q(const std::string& s) { return QString::fromStdString(s); }
std::string S(const QString& s) { return s.toStdString(); }

std::array<std::string*, 11> RowTexts(ConversionRow& r) {
  return {&r.eraName, &r.eraYear, &r.emperor, &r.eraExtra, &r.leapMark, &r.month,
          &r.day,     &r.weekday, &r.sixDaySign, &r.sexagenary, &r.mansion};
}

void DefaultMessage(QWidget* parent, const QString& text, const QString& caption) {
  QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok, parent);
  box.exec();
}

std::string CurrentDirectory() {
  char buf[4096];
  return ::getcwd(buf, sizeof buf) ? std::string(buf) : std::string();
}

}  // namespace

// The frame the grid is drawn into (control 1052).
class CYearGridFrame : public QWidget {
 public:
  CYearGridFrame(CYearListDlg* dlg, QWidget* parent) : QWidget(parent), m_pDlg(dlg) {}

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    PaintYearGrid(painter, size(), m_pDlg->m_strGrid, m_pDlg->m_nDisplayMode, m_pDlg->GridYear(),
                  m_pDlg->m_settings.calendar);
  }

 private:
  CYearListDlg* m_pDlg;
};

void (*CYearListDlg::ShowMessage)(QWidget*, const QString&, const QString&) = DefaultMessage;
QString (*CYearListDlg::ChooseSaveFile)(QWidget*, const QString&) = AskCsvFileName;

CYearListDlg::CYearListDlg(const Ephemeris& ephemeris, YearEventSource* parentView, QWidget* parent)
    : QDialog(parent), m_pParentView(parentView), m_ephemeris(ephemeris) {
  setWindowTitle(QStringLiteral("一覧表"));
  setModal(false);
  setFont(AlmanacFont(12));
  BuildControls();
}

CYearListDlg::~CYearListDlg() = default;

void CYearListDlg::BuildControls() {
  // A screen smaller than the window scrolls it.
  QWidget* page = MakeScrollPage(this, QSize(kDialogWidthDu * kDu, kDialogHeightDu * kDu));
  auto label = [page](const char* text, QRect r) {
    auto* l = new QLabel(QString::fromUtf8(text), page);
    l->setGeometry(r);
    l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  };
  auto edit = [page](QRect r) {
    auto* e = new QLineEdit(page);
    e->setGeometry(r);
    return e;
  };
  auto button = [page](const char* text, QRect r) {
    auto* b = new QPushButton(QString::fromUtf8(text), page);
    b->setGeometry(r);
    b->setAutoDefault(false);
    return b;
  };
  label("西暦", Du(10, 5, 15, 20));
  m_editYear = edit(Du(25, 5, 46, 25));
  m_spinYear = new CUpDown(page);
  m_spinYear->setGeometry(Du(71, 5, 9, 25));
  label("月", Du(80, 5, 10, 20));
  m_editMonth = edit(Du(90, 5, 17, 25));
  label("日", Du(115, 5, 10, 20));
  m_editDay = edit(Du(125, 5, 17, 25));
  QPushButton* lunisolar = button("和暦表示", Du(150, 5, 40, 25));
  QPushButton* western = button("西暦表示", Du(195, 5, 40, 25));
  QPushButton* file = button("FILE出力", Du(240, 5, 40, 25));
  QPushButton* quit = button("終了", Du(295, 5, 40, 25));
  m_editYearSign = edit(Du(25, 30, 55, 15));

  const std::pair<const char*, int> heads[] = {{"天皇", 105}, {"月", 185},  {"日", 205},      {"曜日", 225},
                                               {"六曜", 250}, {"干支", 270}, {"二十八宿", 295}};
  for (const auto& [text, x] : heads) label(text, Du(x, 40, 40, 10));
  const char* rowLabels[3] = {"和暦変換", "西暦変換", "西暦変換"};
  for (int r = 0; r < 3; ++r) {
    label(rowLabels[r], Du(5, kRowY[r], 30, 10));
    for (int c = 0; c < 11; ++c)
      m_rowFields[r * 11 + c] = edit(Du(kRowColumns[c].x, kRowY[r], kRowColumns[c].width, kRowHeightDu));
  }

  auto eventList = [page](QRect r, const char* title) {
    auto* t = new QTreeWidget(page);
    t->setGeometry(r);
    // Headed from the start: a window opened on a year out of range is
    // never filled, and Qt would head the lists "1".
    t->setHeaderLabels({QString::fromUtf8(title)});
    t->setColumnWidth(0, 150);
    t->setRootIsDecorated(false);
    t->setSelectionMode(QAbstractItemView::SingleSelection);
    t->setUniformRowHeights(true);
    return t;
  };
  m_listPhases = eventList(Du(340, 0, 103, 56), kPhaseListTitle);
  m_listTerms = eventList(Du(340, 57, 103, 56), kTermListTitle);

  // Simple combo boxes: the selected text above, the list under it.
  auto eraCombo = [this, page](QRect r, QLineEdit*& text, QListWidget*& list, int id) {
    text = new QLineEdit(page);
    text->setGeometry(r.x(), r.y(), r.width(), 26);
    list = new QListWidget(page);
    list->setGeometry(r.x(), r.y() + 26, r.width(), r.height() - 26);
    // One line per era year: measuring each of the ~1500 items would cost
    // more than everything else the window does when it opens.
    list->setUniformItemSizes(true);
    connect(list, &QListWidget::currentTextChanged, this, [this, id](const QString& item) {
      if (!m_bFillingEras && !item.isEmpty()) OnEraPick(id, item);
    });
  };
  // One above the other, the first ending where the second begins (drawn 60
  // high, its last rows lay under the second one's text field).
  eraCombo(Du(460, 0, 85, 55), m_editEraTable, m_comboEraTable, 1050);
  eraCombo(Du(460, 55, 85, 60), m_editEraReading, m_comboEraReading, 1051);

  m_gridFrame = new CYearGridFrame(this, page);
  m_gridFrame->setGeometry(Du(5, 115, 555, 285));

  connect(lunisolar, &QPushButton::clicked, this, [this] { CheckYearAndShowLunisolar(); });
  connect(western, &QPushButton::clicked, this, [this] { CheckYearAndShowWestern(); });
  connect(file, &QPushButton::clicked, this, [this] { WriteYearFile(m_nDisplayMode); });
  connect(quit, &QPushButton::clicked, this, [this] { accept(); });
  connect(m_spinYear, &CUpDown::deltaPos, this, [this](int delta) { OnYearSpin(delta); });
  // As in the main window: Enter in the date fields shows the typed date (in
  // the layout on show), Up and Down in the year field work its spinner.
  for (QLineEdit* e : {m_editYear, m_editMonth, m_editDay})
    connect(e, &QLineEdit::returnPressed, this, [this] { ApplyTypedDate(); });
  m_editYear->installEventFilter(this);
}

void CYearListDlg::ApplyTypedDate() {
  if (m_nDisplayMode == kWesternLayout)
    CheckYearAndShowWestern();
  else
    CheckYearAndShowLunisolar();
}

bool CYearListDlg::eventFilter(QObject* watched, QEvent* event) {
  if (watched == m_editYear && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Up || key == Qt::Key_Down) {
      m_spinYear->Step(key == Qt::Key_Up ? -1 : +1);
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

QWidget* CYearListDlg::GridFrame() const { return m_gridFrame; }

QLineEdit* CYearListDlg::Field(int id) const {
  switch (id) {
    case 1004: return m_editYear;
    case 1006: return m_editMonth;
    case 1008: return m_editDay;
    case 1003: return m_editYearSign;
    default: break;
  }
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 11; ++c)
      if (kRowIds[r][c] == id) return m_rowFields[r * 11 + c];
  return nullptr;
}

bool CYearListDlg::Create() {
  if (IsWindowOpen()) return false;
  OnInitDialog();
  // Beside the main window where the screen has room; every time, since the
  // main window may have moved since.
  resize(kDialogWidthDu * kDu, kDialogHeightDu * kDu);
  MoveBeside(this, parentWidget());
  show();
  // Opened ready to type a year.
  m_editYear->setFocus();
  m_editYear->selectAll();
  return true;
}

bool CYearListDlg::IsWindowOpen() const { return isVisible(); }

void CYearListDlg::UpdateData(bool toMembers) {
  std::array<ConversionRow*, 3> rows = {&m_conversions.lunisolar, &m_conversions.western, &m_conversions.leapWestern};
  std::vector<std::pair<QLineEdit*, std::string*>> pairs = {{m_editYear, &m_strYear},
                                                            {m_editMonth, &m_strMonth},
                                                            {m_editDay, &m_strDay},
                                                            {m_editYearSign, &m_strYearSign},
                                                            {m_editEraTable, &m_strEraByTable},
                                                            {m_editEraReading, &m_strEraByReading}};
  for (int r = 0; r < 3; ++r) {
    auto texts = RowTexts(*rows[r]);
    for (int c = 0; c < 11; ++c) pairs.emplace_back(m_rowFields[r * 11 + c], texts[c]);
  }
  for (auto& [field, member] : pairs) {
    if (toMembers)
      *member = S(field->text());
    else
      ShowFieldText(field, Q(*member));
  }
}

void CYearListDlg::OnInitDialog() {
  m_shownDate = {m_strYear, m_strMonth, m_strDay};
  UpdateData(false);
  CheckYearAndShowLunisolar();
  FillEraLists();
  m_strSavedDirectory = CurrentDirectory();
}

void CYearListDlg::accept() { QDialog::accept(); }
void CYearListDlg::reject() { QDialog::reject(); }

std::optional<int> CYearListDlg::TypedYear() {
  UpdateData(true);
  std::array<int, 3> values{};
  const struct {
    QLineEdit* edit;
    std::string* text;
    const char* name;
  } fields[] = {{m_editYear, &m_strYear, "西暦"}, {m_editMonth, &m_strMonth, "月"}, {m_editDay, &m_strDay, "日"}};
  for (std::size_t i = 0; i < std::size(fields); ++i) {
    if (ParseTypedNumber(*fields[i].text, values[i])) continue;
    ShowMessage(this, Q(text::SjisFormat("%sは数字で入力してください（「%s」）。", fields[i].name, fields[i].text->c_str())),
                QStringLiteral("一覧表"));
    *fields[i].text = m_shownDate[i];
    UpdateData(false);
    fields[i].edit->setFocus();
    fields[i].edit->selectAll();
    return std::nullopt;
  }
  if (YearInListRange(values[0])) return values[0];
  ShowMessage(this, QString::fromUtf8(kYearRangeMessage), QString::fromUtf8(kYearRangeCaption));
  return std::nullopt;
}

void CYearListDlg::CheckYearAndShowLunisolar() {
  if (const std::optional<int> year = TypedYear()) ShowYear(kLunisolarLayout, *year);
}

void CYearListDlg::CheckYearAndShowWestern() {
  if (const std::optional<int> year = TypedYear()) ShowYear(kWesternLayout, *year);
}

void CYearListDlg::OnYearSpin(int delta) {
  UpdateData(true);
  long long y = TypedInt(m_strYear);
  if (delta == -1) ++y;
  if (delta == +1) --y;
  m_strYear = text::SjisFormat("%4lld", std::clamp<long long>(y, INT_MIN, INT_MAX));
  UpdateData(false);
  CheckYearAndShowLunisolar();
}

void CYearListDlg::ShowYear(int layout, int year) {
  UpdateData(true);
  std::string error;
  const bool converted = ConvertYearListDate(year, m_strMonth, m_strDay, layout,
                                             m_settings.calendar, m_conversions, error);
  if (layout == kLunisolarLayout && !m_conversions.yearSign.empty()) m_strYearSign = m_conversions.yearSign;
  UpdateData(false);
  if (!converted) return ReportError(error);
  FillYearPhaseList(year);
  FillYearTermList(year);
  m_events.calendar = m_settings.calendar;
  const bool filled = layout == kLunisolarLayout
                          ? FillLunisolarGrid(m_strGrid, year, m_nSignDisplay, m_events, error)
                          : FillWesternGrid(m_strGrid, year, m_nSignDisplay, m_events, error);
  m_nDisplayMode = layout;
  m_nGridYear = year;
  m_shownDate = {m_strYear, m_strMonth, m_strDay};
  DrawYearGrid(layout);
  UpdateData(false);
  if (!filled) ReportError(error);
}

void CYearListDlg::FillYearPhaseList(int year) {
  FillEventList(m_listPhases, kPhaseListTitle, kListRequestPhases, year);
}
void CYearListDlg::FillYearTermList(int year) { FillEventList(m_listTerms, kTermListTitle, kListRequestTerms, year); }

void CYearListDlg::FillEventList(QTreeWidget* list, const char* title, int wParam, int year) {
  UpdateData(true);
  list->clear();
  list->setHeaderLabels({QString::fromUtf8(title)});
  list->setColumnWidth(0, 150);
  m_nEventDays = kYearEventDays;
  const bool phases = wParam == kListRequestPhases;
  const YearEventRequest request{phases ? EventKind::MoonPhases : EventKind::SolarTerms, double(year),
                                 m_nEventDays};
  const DateClock lists = ListClock(m_settings);
  std::vector<CalendarEvent>& events = phases ? m_events.phases : m_events.terms;
  events = m_pParentView ? m_pParentView->AnswerListRequest(request)
                         : YearEventTable(m_ephemeris, request.kind, request.year, request.lastDay, lists);
  QList<QTreeWidgetItem*> items;
  for (const CalendarEvent& e : events) items.append(new QTreeWidgetItem(QStringList{Q(YearEventItem(e, phases, lists))}));
  list->addTopLevelItems(items);
}

void CYearListDlg::FillEraLists() {
  EraListItems items;
  try {
    CDaoDatabase db;
    db.Open(kCalendarDatabase, true, true, kCalendarConnect);
    items = EraListItemTexts(db, m_strYear);
  } catch (const CDaoException& e) {
    ReportError(e.what());
  }
  m_bFillingEras = true;
  auto fill = [](QListWidget* list, const std::vector<std::string>& texts) {
    list->clear();
    QStringList all;
    all.reserve(static_cast<int>(texts.size()));
    for (const std::string& t : texts) all.append(Q(t));
    list->addItems(all);
  };
  fill(m_comboEraTable, items.byTable);
  fill(m_comboEraReading, items.byReading);
  m_strEraByTable = items.byTableSelected;
  m_strEraByReading = items.byReadingSelected;
  // The list selects the first item beginning with the selected text.
  for (auto [list, selected] : {std::pair{m_comboEraTable, &m_strEraByTable}, std::pair{m_comboEraReading, &m_strEraByReading}}) {
    if (selected->empty()) continue;
    for (int i = 0; i < list->count(); ++i)
      if (list->item(i)->text().startsWith(Q(*selected))) {
        list->setCurrentRow(i);
        // In the middle: at an edge the row would sit half under the border or
        // under a scroll bar that the list only adds once it is laid out.
        list->scrollToItem(list->item(i), QAbstractItemView::PositionAtCenter);
        break;
      }
  }
  m_bFillingEras = false;
  UpdateData(false);
}

void CYearListDlg::OnEraPick(int list, const QString& item) {
  UpdateData(true);
  m_strYear = EraPickYearText(S(item));
  (list == 1050 ? m_strEraByTable : m_strEraByReading) = S(item);
  UpdateData(false);
  CheckYearAndShowLunisolar();
}

void CYearListDlg::DrawYearGrid(int /*layout*/) {
  // The frame paints the layout m_nDisplayMode names; drawing now means
  // painting it at once.
  if (m_gridFrame->isVisible()) m_gridFrame->repaint();
}

bool CYearListDlg::WriteYearFileTo(const std::string& path, std::string& error) {
  const std::string text = YearFileText(m_strGrid, m_nDisplayMode, GridYear(), m_settings.calendar);
  return WriteTextFileAtomically(path, text, true, error);
}

void CYearListDlg::WriteYearFile(int /*layout*/) {
  const QString path = ChooseSaveFile(this, ProposedFileName());
  if (!path.isEmpty()) {
    std::string error;
    if (!WriteYearFileTo(S(path), error))
      ShowMessage(this, QStringLiteral("ファイルに書き込めませんでした。\n") + Q(error), QStringLiteral("FILE出力"));
    else
      ShowMessage(this, WrittenText(path), QStringLiteral("FILE出力"));
  }
  // The calendar database is opened by a name relative to this directory.
  if (!m_strSavedDirectory.empty() && ::chdir(m_strSavedDirectory.c_str()) != 0)
    ShowMessage(this, QStringLiteral("作業フォルダに戻れません: ") + Q(m_strSavedDirectory), QStringLiteral("FILE出力"));
}

QString CYearListDlg::ProposedFileName() const {
  return QString::number(GridYear()) + (m_nDisplayMode == 1 ? QStringLiteral("年和暦表示.csv") : QStringLiteral("年西暦表示.csv"));
}

int CYearListDlg::GridYear() const {
  // Before any fill the grid is empty and the typed year heads it.
  return m_nDisplayMode == 0 ? TypedInt(m_strYear) : m_nGridYear;
}

void CYearListDlg::ReportError(const std::string& error) {
  ShowMessage(this, Q(error), QStringLiteral("一覧表"));
}
