#include "caldb/Eras.h"

#include <algorithm>
#include <cmath>

#include "core/Text.h"

using text::SjisFormat;

const std::array<ReignRow, 34> ReignTable = {{
    {"(神武即位前天皇)", -666}, {"(神武天皇)", -659}, {"(綏靖天皇)", -580}, {"(安寧天皇)", -547},
    {"(懿徳天皇)", -509},       {"(孝昭天皇)", -474}, {"(孝安天皇)", -391}, {"(孝霊天皇)", -289},
    {"(孝元天皇)", -213},       {"(開化天皇)", -156}, {"(崇神天皇)", -96},  {"(垂仁天皇)", -28},
    {"(景行天皇)", 71},         {"(成務天皇)", 131},  {"(仲哀天皇)", 192},  {"(神功皇后)", 201},
    {"(応神天皇)", 270},        {"(仁徳天皇)", 313},  {"(履中天皇)", 400},  {"(反正天皇)", 406},
    {"(允恭天皇)", 412},        {"(安康天皇)", 454},  {"(雄略天皇)", 457},  {"(清寧天皇)", 480},
    {"(顕宗天皇)", 485},        {"(仁賢天皇)", 488},  {"(武烈天皇)", 499},  {"(継体天皇)", 507},
    {"(安閑天皇)", 534},        {"(宣化天皇)", 536},  {"(欽明天皇)", 540},  {"(敏達天皇)", 572},
    {"(用明天皇)", 586},        {"(崇峻天皇)", 588},
}};

namespace {

bool WholeYear(double v, int& out) {
  if (!std::isfinite(v) || std::fabs(v) > 999999.0) return false;
  out = static_cast<int>(v);
  return true;
}

std::string Field(const CDaoRecordset& rs, int i) { return VariantToText(rs.GetFieldValue(i)); }

// The last reign has no end: the History table takes over from its first year,
// so only rows 0 to 32 are searched.
const ReignRow* ReignOf(int year) {
  for (std::size_t i = 0; i + 1 < ReignTable.size(); ++i)
    if (ReignTable[i].firstYear <= year && year < ReignTable[i + 1].firstYear) return &ReignTable[i];
  return nullptr;
}

}  // namespace

EraTexts EraForYear(CDaoDatabase& db, double historyYear, double reignYear, const char* queryText) {
  EraTexts era;
  int hy = 0, ry = 0;
  if (!WholeYear(historyYear, hy) || !WholeYear(reignYear, ry)) return era;
  CDaoRecordset rs(&db);
  rs.Open(dbOpenDynaset, (queryText ? queryText : kHistoryQueryTwoSpaces) + SjisFormat("%4d;", hy));
  if (!rs.IsEOF()) {
    era.eraName = Field(rs, 2);
    era.eraYear = Field(rs, 4);
    era.emperor = Field(rs, 5);
    era.eraExtra = Field(rs, 7);
    era.fromHistory = true;
    return era;
  }
  rs.Close();
  if (const ReignRow* reign = ReignOf(ry)) {
    era.eraYear = SjisFormat("%3d", ry - reign->firstYear + 1);
    era.eraName = reign->name;
    era.emperor = reign->name;
    era.eraExtra = era.eraYear;
  }
  return era;
}

EraTexts EraForYear(CDaoDatabase& db, double year, const char* queryText) {
  return EraForYear(db, year, year, queryText);
}

std::string EraPanelText(const EraTexts& era) {
  if (era.fromHistory) return era.eraName + " " + era.eraYear;
  if (era.eraName.empty()) return "";
  return era.eraName + era.eraYear + "年";
}

namespace {

// The lists hold one item per row; a table past kMaxHistoryRows is refused
// before it costs more time or memory.
void CountHistoryRow(std::size_t rowsRead) {
  if (rowsRead > kMaxHistoryRows)
    throw CDaoException(0, "table History holds more than " + std::to_string(kMaxHistoryRows) +
                               " rows; a calendar has one per year");
}

}  // namespace

EraListItems EraListItemTexts(CDaoDatabase& db, const std::string& yearText) {
  EraListItems items;
  CDaoRecordset rs(&db);
  rs.Open(dbOpenDynaset, "SELECT * FROM [History]");
  for (; !rs.IsEOF(); rs.MoveNext()) {
    CountHistoryRow(items.byTable.size() + 1);
    std::string year = Field(rs, 0);
    items.byTable.push_back(Field(rs, 2) + " " + Field(rs, 4) + " " + Field(rs, 8) + Field(rs, 9) + "   " + year);
    if (year == yearText) items.byTableSelected = items.byTable.back();
  }
  // The list shows the newest era first.
  std::reverse(items.byTable.begin(), items.byTable.end());
  rs.Open(dbOpenDynaset, "SELECT * FROM [History] ORDER BY [History].[年号読],[History].[西暦];");
  for (; !rs.IsEOF(); rs.MoveNext()) {
    CountHistoryRow(items.byReading.size() + 1);
    items.byReading.push_back(Field(rs, 3) + " " + Field(rs, 2) + " " + Field(rs, 4) + "    " + Field(rs, 0));
  }
  if (!items.byReading.empty()) items.byReadingSelected = items.byReading.front();
  return items;
}

std::string EraPickYearText(const std::string& itemText) {
  return itemText.size() <= 4 ? itemText : itemText.substr(itemText.size() - 4);
}
