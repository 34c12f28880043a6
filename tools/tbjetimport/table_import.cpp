#include "tools/tbjetimport/table_import.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tools/tbjetimport/jet_values.h"
#include "tools/tbjetimport/long_value.h"

namespace tb::jetimport {
namespace {

using TablePtr = std::unique_ptr<MdbTableDef, decltype(&mdb_free_tabledef)>;

[[noreturn]] void Broken(const std::string& table, const std::string& what) {
  throw ImportError(kExitBadContent, "table " + table + ": " + what);
}

MdbColumn* Column(MdbTableDef* table, unsigned i) {
  return static_cast<MdbColumn*>(g_ptr_array_index(table->columns, i));
}

bool IsVariableLength(int type) {
  return type == MDB_TEXT || type == MDB_MEMO || type == MDB_BINARY || type == MDB_OLE;
}

// Null flags of the current row, read only when needed: the library reports both a Null
// and an empty text as a zero-length value, and only the row's null mask tells them apart.
class RowNulls {
 public:
  explicit RowNulls(MdbTableDef* table) : table_(table) {}
  void NextRow() { read_ = false; }
  bool IsNull(unsigned column) {
    if (!read_) Read();
    read_ = true;
    return column >= nulls_.size() || nulls_[column];
  }

 private:
  void Read() {
    std::vector<char>& nulls = nulls_;
    nulls.assign(table_->num_cols, 1);
    MdbHandle* mdb = table_->entry->mdb;
    int start = 0;
    size_t size = 0;
    if (table_->cur_row == 0 || mdb_find_row(mdb, table_->cur_row - 1, &start, &size) != 0) {
      return;
    }
    std::vector<MdbField> fields(table_->num_cols);
    // The count comes from the row's own header and may exceed the table's columns in a
    // damaged file; the library fills at most one field per table column.
    const int count = std::min<int>(mdb_crack_row(table_, start & 0x1fff, size, fields.data()),
                                    static_cast<int>(table_->num_cols));
    for (int i = 0; i < count; ++i) {
      const auto column = static_cast<unsigned>(fields[i].colnum);
      if (column < nulls.size()) nulls[column] = fields[i].is_null != 0;
    }
  }
  MdbTableDef* table_;
  std::vector<char> nulls_;
  bool read_ = false;
};

// Text from a libmdb formatter (money, decimal, replication id), freed after the copy.
void BindLibraryText(RowInserter& row, int i, char* text) {
  row.BindText(i, text ? text : "");
  g_free(text);
}

// One non-Null value of the current row, by column type (one case per Jet type).
void BindValue(MdbTableDef* table, MdbColumn* col, int i, RowInserter& row) {
  MdbHandle* mdb = table->entry->mdb;
  const int start = col->cur_value_start;
  const int len = col->cur_value_len;
  if (start < 0 || start + len > mdb->fmt->pg_size) Broken(table->name, "value outside page");
  const char* bytes = reinterpret_cast<const char*>(mdb->pg_buf) + start;
  auto need = [&](int size) {
    if (len < size) Broken(table->name, std::string("short value in column ") + col->name);
  };
  switch (col->col_type) {
    case MDB_BYTE: need(1); row.BindInt(i, mdb->pg_buf[start]); break;
    case MDB_INT: need(2); row.BindInt(i, static_cast<std::int16_t>(mdb_get_int16(mdb->pg_buf, start))); break;
    case MDB_LONGINT:
    case MDB_COMPLEX: need(4); row.BindInt(i, static_cast<std::int32_t>(mdb_get_int32(mdb->pg_buf, start))); break;
    case MDB_FLOAT: need(4); row.BindReal(i, mdb_get_single(mdb->pg_buf, start)); break;
    case MDB_DOUBLE: need(8); row.BindReal(i, mdb_get_double(mdb->pg_buf, start)); break;
    case MDB_DATETIME: {
      need(8);
      const double value = mdb_get_double(mdb->pg_buf, start);
      // A value outside the calendar Jet allows is kept as the number it is.
      if (auto text = JetDateText(value)) row.BindText(i, *text); else row.BindReal(i, value);
      break;
    }
    case MDB_MONEY: need(8); BindLibraryText(row, i, mdb_money_to_string(mdb, start)); break;
    case MDB_NUMERIC:
      need(17);
      BindLibraryText(row, i, mdb_numeric_to_string(mdb, start, col->col_scale, col->col_prec));
      break;
    case MDB_REPID: need(16); BindLibraryText(row, i, mdb_uuid_to_string(mdb->pg_buf, start)); break;
    case MDB_TEXT: row.BindText(i, JetTextToUtf8(mdb, bytes, len)); break;
    case MDB_MEMO: {
      const std::string raw = ReadLongValue(mdb, start, len);
      row.BindText(i, JetTextToUtf8(mdb, raw.data(), raw.size()));
      break;
    }
    case MDB_OLE: row.BindBlob(i, ReadLongValue(mdb, start, len)); break;
    case MDB_BINARY: row.BindBlob(i, std::string_view(bytes, len)); break;
    default: BindLibraryText(row, i, mdb_col_to_string(mdb, mdb->pg_buf, start, col->col_type, len));
  }
}

void BindRow(MdbTableDef* table, RowNulls& nulls, RowInserter& row) {
  nulls.NextRow();
  for (unsigned i = 0; i < table->num_cols; ++i) {
    MdbColumn* col = Column(table, i);
    const int index = static_cast<int>(i);
    if (col->col_type == MDB_BOOL) {
      // A yes/no value lives in the null mask: the bit set (reported as length 0) is yes.
      row.BindInt(index, col->cur_value_len == 0 ? 1 : 0);
    } else if (col->cur_value_len > 0) {
      BindValue(table, col, index, row);
    } else if (IsVariableLength(col->col_type) && !nulls.IsNull(i)) {
      if (col->col_type == MDB_BINARY || col->col_type == MDB_OLE) row.BindBlob(index, {});
      else row.BindText(index, "");
    } else {
      row.BindNull(index);
    }
  }
}

void CreateTable(MdbTableDef* table, SqliteTarget& target) {
  std::vector<ColumnSpec> columns;
  for (unsigned i = 0; i < table->num_cols; ++i) {
    MdbColumn* col = Column(table, i);
    columns.push_back({col->name, col->col_type});
  }
  target.Exec(CreateTableSql(table->name, columns));
}

std::size_t CopyRows(MdbTableDef* table, SqliteTarget& target) {
  RowInserter row(target, table->name, static_cast<int>(table->num_cols));
  RowNulls nulls(table);
  mdb_rewind_table(table);
  std::size_t count = 0;
  while (mdb_fetch_row(table)) {
    BindRow(table, nulls, row);
    row.Step();
    ++count;
  }
  return count;
}

// The file's own indexes, without the foreign-key references (type 2). Indexes only speed
// up lookups: one that cannot be rebuilt is left out, the data stay complete.
// Requires: the definition's indexes were read right after its columns (the library reads
// them from where the column list ends).
void CreateIndexes(MdbTableDef* table, SqliteTarget& target, int tableNumber) {
  GPtrArray* indexes = table->indices;
  if (!indexes) return;
  for (guint n = 0; n < indexes->len; ++n) {
    const auto* idx = static_cast<MdbIndex*>(g_ptr_array_index(indexes, n));
    if (idx->index_type == 2 || idx->num_keys == 0 || idx->num_keys > MDB_MAX_IDX_COLS) continue;
    std::string columns;
    bool usable = true;
    for (unsigned k = 0; k < idx->num_keys && usable; ++k) {
      const int number = idx->key_col_num[k];
      usable = number >= 1 && static_cast<unsigned>(number) <= table->num_cols;
      if (usable) columns += (k ? "," : "") + QuoteIdentifier(Column(table, number - 1)->name);
    }
    if (!usable) continue;
    const std::string name = "jet_t" + std::to_string(tableNumber) + "_i" + std::to_string(n);
    try {
      target.Exec("CREATE INDEX " + QuoteIdentifier(name) + " ON " +
                  QuoteIdentifier(table->name) + " (" + columns + ")");
    } catch (const ImportError&) {
    }
  }
}

}  // namespace

std::size_t ImportTable(MdbCatalogEntry* entry, SqliteTarget& target, int tableNumber) {
  TablePtr table(mdb_read_table(entry), &mdb_free_tabledef);
  if (!table) Broken(entry->object_name, "definition unreadable");
  if (!mdb_read_columns(table.get()) || table->num_cols == 0) {
    Broken(entry->object_name, "columns unreadable");
  }
  // The reader allocates a record for every index the definition counts before it reads
  // them: a damaged count would take memory until the importer's limit. Access allows 32
  // indexes a table.
  constexpr unsigned kMaxIndexes = 256;
  if (table->num_idxs > kMaxIndexes || table->num_real_idxs > kMaxIndexes) {
    Broken(entry->object_name, "index count damaged");
  }
  mdb_read_indices(table.get());
  CreateTable(table.get(), target);
  const std::size_t rows = CopyRows(table.get(), target);
  if (rows < table->num_rows) {
    throw ImportError(kExitRowsMissing, "table " + std::string(entry->object_name) + ": read " +
                                            std::to_string(rows) + " of " +
                                            std::to_string(table->num_rows) + " rows");
  }
  CreateIndexes(table.get(), target, tableNumber);
  return rows;
}

}  // namespace tb::jetimport
