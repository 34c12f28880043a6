#include "client/archive/period_data.h"

#include <algorithm>
#include <vector>

#include "client/archive/sha256.h"
#include "client/core/formatting.h"
#include "client/core/query_texts.h"

namespace tb::archive {
namespace {

// Value columns of a period as its report reads them.
int ValueColumns(const Period& p) {
  switch (p.kind) {
    case Kind::kDaily: return 24;
    case Kind::kMonthly:
      return DaysInMonth(static_cast<int>(p.date.year()), static_cast<int>(unsigned{p.date.month()}));
    case Kind::kYearly: return 12;
  }
  return 0;
}

std::vector<std::string> FingerprintColumns(const Period& p) {
  std::vector<std::string> cols{"DATE", "TAG_ID"};
  for (int k = 1; k <= ValueColumns(p); ++k) cols.push_back("DATA_" + std::to_string(k));
  for (const char* c : {"TOTAL", "AVE", "MAX", "MIN"}) cols.push_back(c);
  return cols;
}

// One field, length-prefixed so that no text can imitate another field or row:
// "N" for Null, "-" for a column the table lacks, "S<length>:<text>" otherwise.
void AppendField(std::string& out, const db::Recordset& rs, const std::string& column) {
  if (!rs.HasColumn(column)) {
    out += '-';
    return;
  }
  const auto& v = rs.Field(column);
  if (!v) {
    out += 'N';
    return;
  }
  out += 'S' + std::to_string(v->size()) + ':' + *v;
}

}  // namespace

std::string FingerprintOf(const Period& p, db::Recordset rs) {
  const auto columns = FingerprintColumns(p);
  std::vector<std::string> encoded;
  for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext()) {
    std::string row;
    for (const auto& c : columns) AppendField(row, rs, c);
    encoded.push_back(std::move(row));
  }
  // Rows of equal TAG_ID may come in any order; sorted, the fingerprint does not depend
  // on the database's order.
  std::sort(encoded.begin(), encoded.end());
  Sha256 h;
  h.Add("tbarchive-data-1\n");
  for (const auto& row : encoded) {
    h.Add(std::to_string(row.size()) + "\n");
    h.Add(row);
  }
  return h.HexDigest();
}

PeriodData::PeriodData(const ClientState& s) : cn_(db::Connection::Open(s.gConnectString, s.DbContext())) {}

std::set<Period> PeriodData::PeriodsWithRows(Kind kind) {
  db::Recordset rs = cn_->Execute("SELECT DISTINCT DATE FROM " + std::string(sql::DataTable(static_cast<int>(kind))));
  std::set<Period> out;
  for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext()) {
    const auto& key = rs.Field("DATE");
    if (!key) continue;
    if (auto p = PeriodFromKey(kind, *key)) out.insert(*p);
  }
  return out;
}

PeriodData::Rows PeriodData::Read(const Period& p) {
  db::Recordset rs = cn_->Execute(sql::PeriodValues(sql::DataTable(static_cast<int>(p.kind)), KeyOf(p)));
  const std::size_t count = rs.RecordCount();
  return {count, FingerprintOf(p, std::move(rs))};
}

}  // namespace tb::archive
