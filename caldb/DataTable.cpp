#include "caldb/DataTable.h"

#include "caldb/Dao.h"
#include "core/Text.h"

const std::string& DataTable::Text(int row, Column column) {
  auto it = m_rows.find(row);
  if (it == m_rows.end()) {
    CDaoRecordset rs(&m_db);
    rs.Open(dbOpenDynaset, text::SjisFormat("SELECT * FROM [Data] WHERE  [No]=%1d;", row));
    std::vector<std::string> texts(kBranchReading + 1);
    for (int c = kMansion; c <= kBranchReading; ++c) texts[c] = VariantToText(rs.GetFieldValue(c));
    it = m_rows.emplace(row, std::move(texts)).first;
  }
  return it->second[column];
}
