// The fully fetched row set: positioning, fields by name and the forward Find.
#include <charconv>
#include <cstdlib>

#include "client/core/database.h"

namespace tb::db {
namespace {

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]);
    unsigned char y = static_cast<unsigned char>(b[i]);
    if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

std::optional<double> ParseNumber(std::string_view s) {
  s = Trim(s);
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  double v = 0;
  auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (s.empty() || ec != std::errc() || end != s.data() + s.size()) return std::nullopt;
  return v;
}

// The right-hand side of a criterion: a number, or text in single quotes ('' stands
// for one quote).
struct FindValue {
  bool isText = false;
  std::string text;
  double number = 0;
};

FindValue ParseFindValue(std::string_view raw, std::string_view criterion) {
  raw = Trim(raw);
  FindValue v;
  if (raw.size() >= 2 && raw.front() == '\'' && raw.back() == '\'') {
    v.isText = true;
    std::string_view inner = raw.substr(1, raw.size() - 2);
    for (std::size_t i = 0; i < inner.size(); ++i) {
      if (inner[i] == '\'') {
        if (i + 1 >= inner.size() || inner[i + 1] != '\'')
          throw DbError("cannot read the criterion: " + std::string(criterion));
        ++i;
      }
      v.text.push_back(inner[i]);
    }
    return v;
  }
  auto n = ParseNumber(raw);
  if (!n) throw DbError("cannot read the criterion: " + std::string(criterion));
  v.number = *n;
  return v;
}

bool Matches(const Value& field, const FindValue& wanted) {
  if (!field) return false;  // Null equals nothing
  if (wanted.isText) return *field == wanted.text;
  auto n = ParseNumber(*field);
  return n && *n == wanted.number;
}

}  // namespace

Recordset::Recordset(std::vector<std::string> columns, std::vector<std::vector<Value>> rows)
    : columns_(std::move(columns)), rows_(std::move(rows)), open_(true) {
  for (auto& r : rows_) r.resize(columns_.size());
}

std::optional<std::size_t> Recordset::ColumnIndex(std::string_view column) const {
  for (std::size_t i = 0; i < columns_.size(); ++i)
    if (EqualsIgnoringAsciiCase(columns_[i], column)) return i;
  return std::nullopt;
}

bool Recordset::HasColumn(std::string_view column) const {
  return ColumnIndex(column).has_value();
}

const Value& Recordset::Field(std::string_view column) const {
  if (!open_) throw DbError("the row set is closed");
  auto i = ColumnIndex(column);
  if (!i) throw DbError("no column " + std::string(column));
  if (Eof()) throw DbError("no current row");
  return rows_[pos_][*i];
}

bool Recordset::Find(std::string_view criterion) {
  auto eq = criterion.find('=');
  if (eq == std::string_view::npos)
    throw DbError("cannot read the criterion: " + std::string(criterion));
  std::string_view column = Trim(criterion.substr(0, eq));
  FindValue wanted = ParseFindValue(criterion.substr(eq + 1), criterion);
  auto col = ColumnIndex(column);
  if (!col) throw DbError("no column " + std::string(column));
  for (; pos_ < rows_.size(); ++pos_)
    if (Matches(rows_[pos_][*col], wanted)) return true;
  return false;
}

}  // namespace tb::db
