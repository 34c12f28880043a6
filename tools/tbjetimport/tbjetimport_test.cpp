// The importer checked against the independent mdb-export tool and against files patched
// to hold Japanese text (the samples are Western), plus its failure exits.
#include <glib.h>
#include <mdbtools.h>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/wait.h>

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "client/core/jet_samples.h"
#include "tools/tbjetimport/jet_values.h"

namespace fs = std::filesystem;
using Row = std::vector<std::optional<std::string>>;

namespace {

fs::path Sample(const std::string& name) { return tb::testing::JetSample(name); }

fs::path Importer() {
  const char* bin = std::getenv("TB_BINARY_DIR");
  return fs::path(bin ? bin : "build") / "bin" / "tbjetimport";
}

std::string Quote(const std::string& s) { return "'" + s + "'"; }

// Runs a shell command; returns its standard output and sets `status` to its exit code.
std::string Shell(const std::string& command, int* status = nullptr) {
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, pipe)) > 0) out.append(buf, n);
  const int rc = pclose(pipe);
  if (status) *status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
  return out;
}

// CSV as mdb-export writes it: quoted texts with doubled quotes, newlines inside quotes,
// an empty unquoted field for Null.
std::vector<Row> ParseCsv(const std::string& text) {
  std::vector<Row> rows;
  Row row;
  std::string field;
  bool quoted = false, wasQuoted = false;
  auto endField = [&] {
    row.push_back(field.empty() && !wasQuoted ? std::nullopt : std::optional(field));
    field.clear();
    wasQuoted = false;
  };
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (quoted) {
      if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') field += '"', ++i;
      else if (c == '"') quoted = false;
      else field += c;
    } else if (c == '"') {
      quoted = wasQuoted = true;
    } else if (c == ',') {
      endField();
    } else if (c == '\n') {
      endField();
      rows.push_back(std::move(row));
      row.clear();
    } else {
      field += c;
    }
  }
  return rows;
}

class Db {
 public:
  explicit Db(const fs::path& file) { sqlite3_open_v2(file.c_str(), &db_, SQLITE_OPEN_READONLY, nullptr); }
  ~Db() { sqlite3_close(db_); }
  std::vector<Row> Query(const std::string& sql, std::vector<std::string>* types = nullptr) {
    std::vector<Row> rows;
    sqlite3_stmt* st = nullptr;
    EXPECT_EQ(sqlite3_prepare_v2(db_, sql.c_str(), -1, &st, nullptr), SQLITE_OK) << sqlite3_errmsg(db_);
    if (types) {
      for (int i = 0; i < sqlite3_column_count(st); ++i) {
        const char* t = sqlite3_column_decltype(st, i);
        types->push_back(t ? t : "");
      }
    }
    while (st && sqlite3_step(st) == SQLITE_ROW) {
      Row row;
      for (int i = 0; i < sqlite3_column_count(st); ++i) {
        const int type = sqlite3_column_type(st, i);
        if (type == SQLITE_NULL) {
          row.push_back(std::nullopt);
        } else if (type == SQLITE_BLOB) {
          const auto* b = static_cast<const unsigned char*>(sqlite3_column_blob(st, i));
          std::string hex;
          for (int k = 0; k < sqlite3_column_bytes(st, i); ++k) {
            hex += "0123456789ABCDEF"[b[k] >> 4];
            hex += "0123456789ABCDEF"[b[k] & 15];
          }
          row.push_back(hex);
        } else {
          const auto* t = reinterpret_cast<const char*>(sqlite3_column_text(st, i));
          row.push_back(std::string(t ? t : ""));
        }
      }
      rows.push_back(row);
    }
    sqlite3_finalize(st);
    return rows;
  }

 private:
  sqlite3* db_ = nullptr;
};

class ImportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TB_SKIP_WITHOUT_JET_SAMPLES();
    dir_ = fs::temp_directory_path() / ("tbjetimport_test_" + std::to_string(::getpid()) + "_" +
                                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  int Import(const fs::path& source, const fs::path& target, const std::string& env = "") {
    int status = 0;
    Shell(env + " " + Quote(Importer()) + " " + Quote(source) + " " + Quote(target) + " 2>/dev/null", &status);
    return status;
  }
  fs::path Copy(const std::string& sample) {
    const fs::path copy = dir_ / sample;
    fs::copy_file(Sample(sample), copy);
    fs::permissions(copy, fs::perms::owner_read | fs::perms::owner_write);
    return copy;
  }
  fs::path dir_;
};

// Values compare as mdb-export prints them: numbers by value, dates in the same picture,
// binary and OLE values (pictures far longer than a page) as hex, byte for byte; dates
// libmdb cannot place (it prints day 0) are left out.
void ExpectSameValue(const std::optional<std::string>& ours, const std::optional<std::string>& theirs,
                     const std::string& type, const std::string& where) {
  if (theirs && theirs->starts_with("1900-01-00")) return;
  ASSERT_EQ(ours.has_value(), theirs.has_value()) << where;
  if (!ours) return;
  if (type == "BLOB") {
    std::string upper = *theirs;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    EXPECT_EQ(*ours, upper) << where;
  } else if (type == "REAL" || type == "NUMERIC") {
    const double a = std::stod(*ours), b = std::stod(*theirs);
    EXPECT_NEAR(a, b, 1e-6 * std::max(1.0, std::fabs(b))) << where;
  } else {
    EXPECT_EQ(*ours, *theirs) << where;
  }
}

void CompareWithMdbExport(const fs::path& source, const fs::path& imported) {
  Db db(imported);
  std::string tables = Shell("mdb-tables -1 " + Quote(source));
  size_t checked = 0;
  for (size_t pos = 0, end; (end = tables.find('\n', pos)) != std::string::npos; pos = end + 1) {
    const std::string table = tables.substr(pos, end - pos);
    const auto expected = ParseCsv(Shell("mdb-export -H -b hex -D '%Y-%m-%d %H:%M:%S' "
                                       "-T '%Y-%m-%d %H:%M:%S' " + Quote(source) + " " + Quote(table)));
    std::vector<std::string> types;
    const auto actual = db.Query("SELECT * FROM \"" + table + "\" ORDER BY rowid", &types);
    ASSERT_EQ(actual.size(), expected.size()) << table;
    for (size_t r = 0; r < actual.size(); ++r) {
      ASSERT_EQ(actual[r].size(), expected[r].size()) << table << " row " << r;
      for (size_t c = 0; c < actual[r].size(); ++c) {
        ExpectSameValue(actual[r][c], expected[r][c], types[c],
                        table + " row " + std::to_string(r) + " column " + std::to_string(c));
      }
    }
    ++checked;
  }
  EXPECT_GT(checked, 0u);
}

void Patch(const fs::path& file, const std::string& from, const std::string& to) {
  ASSERT_EQ(from.size(), to.size());
  std::fstream f(file, std::ios::in | std::ios::out | std::ios::binary);
  std::string data((std::istreambuf_iterator<char>(f)), {});
  size_t count = 0;
  for (size_t at = data.find(from); at != std::string::npos; at = data.find(from, at + 1), ++count) {
    f.seekp(static_cast<std::streamoff>(at));
    f.write(to.data(), static_cast<std::streamsize>(to.size()));
  }
  ASSERT_GT(count, 0u) << "pattern not found";
}

std::string Utf16(const std::u16string& s) {
  std::string bytes;
  for (char16_t c : s) bytes += static_cast<char>(c & 0xff), bytes += static_cast<char>(c >> 8);
  return bytes;
}

}  // namespace

TEST_F(ImportTest, EveryTableAgreesWithMdbExport) {
  for (const char* sample : {"nwind.mdb", "DateTestDatabase.mdb", "ASampleDatabase.accdb"}) {
    SCOPED_TRACE(sample);
    const fs::path target = dir_ / (std::string(sample) + ".sqlite");
    ASSERT_EQ(Import(Sample(sample), target), 0);
    CompareWithMdbExport(Sample(sample), target);
  }
}

TEST_F(ImportTest, KeepsNamesTypesNullAndFullLongValues) {
  const fs::path target = dir_ / "nwind.sqlite";
  ASSERT_EQ(Import(Sample("nwind.mdb"), target), 0);
  Db db(target);
  // A table name with a non-ASCII letter, Western Jet 3 text read in the file's code page.
  EXPECT_EQ(db.Query("SELECT COUNT(*) FROM \"Umsätze\"")[0][0], "830");
  std::vector<std::string> types;
  db.Query("SELECT OrderID, CustomerID, OrderDate, Freight FROM Orders LIMIT 1", &types);
  EXPECT_EQ(types, (std::vector<std::string>{"INTEGER", "TEXT", "TEXT", "NUMERIC"}));
  // Region is Null for German customers, not an empty text.
  EXPECT_EQ(db.Query("SELECT Region IS NULL FROM Customers WHERE CustomerID = 'ALFKI'")[0][0], "1");
  // Pictures come whole: their stated length is far beyond one page.
  EXPECT_EQ(db.Query("SELECT MIN(length(Photo)) > 20000 FROM Employees")[0][0], "1");
  EXPECT_EQ(db.Query("SELECT typeof(Discontinued) FROM Products LIMIT 1")[0][0], "integer");
  // The Access file's indexes come along, one on a table's first column too.
  EXPECT_EQ(db.Query("SELECT COUNT(*) > 0 FROM sqlite_master WHERE type = 'index' AND tbl_name = 'Customers' "
                     "AND sql LIKE '%CustomerID%'")[0][0], "1");
}

TEST_F(ImportTest, DatesCoverJetsWholeCalendar) {
  const fs::path target = dir_ / "dates.sqlite";
  ASSERT_EQ(Import(Sample("DateTestDatabase.mdb"), target), 0);
  // Rows 2 to 4 lie outside what libmdb itself can print (it shows day 0).
  const auto rows = Db(target).Query("SELECT IDCol, DateTimeCol, TimeCol FROM DateTest ORDER BY IDCol");
  ASSERT_GE(rows.size(), 4u);
  EXPECT_EQ(rows[0][1], "2021-12-02 00:00:00");
  EXPECT_EQ(rows[1][1], "9999-01-01 00:00:00");
  EXPECT_EQ(rows[2][1], "1898-01-01 00:00:00");
  EXPECT_EQ(rows[3][1], "0632-01-01 00:00:00");
}

TEST(JetValues, DateText) {
  struct Case { double value; std::optional<std::string> text; };
  const Case cases[] = {
      {0.0, "1899-12-30 00:00:00"},          // day 0 of the calendar
      {1.5, "1899-12-31 12:00:00"},
      {-1.25, "1899-12-29 06:00:00"},        // the time keeps its meaning before day 0
      {36526.75, "2000-01-01 18:00:00"},
      {36526.999999999, "2000-01-02 00:00:00"},  // rounding to the next midnight
      {2958465.5, "9999-12-31 12:00:00"},
      {-657434.0, "0100-01-01 00:00:00"},
      {2958466.0, std::nullopt},
      {-657435.5, std::nullopt},
      {NAN, std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(tb::jetimport::JetDateText(c.value), c.text) << c.value;
}

TEST(JetValues, Jet3Charset) {
  using tb::jetimport::Jet3Charset;
  EXPECT_EQ(Jet3Charset("", 1252, 0x409), "CP1252");
  EXPECT_EQ(Jet3Charset("", 932, 0x411), "CP932");
  EXPECT_EQ(Jet3Charset("", 1252, 0x411), "CP932");  // Japanese sort order decides
  EXPECT_EQ(Jet3Charset("", 0, 0), "CP932");         // unknown: the installations' page
  EXPECT_EQ(Jet3Charset("CP932", 1252, 0x409), "CP932");
}

TEST_F(ImportTest, JapaneseTextInJet4) {
  const fs::path copy = Copy("DateTestDatabase.mdb");
  Patch(copy, Utf16(u"DateTest"), Utf16(u"日付試験用の表名"));
  // A compressed text "Hello" becomes: switch to two-byte mode, then two characters.
  Patch(copy, "\xff\xfeHello", std::string("\xff\xfe\x00", 3) + Utf16(u"日本"));
  const fs::path target = dir_ / "ja4.sqlite";
  ASSERT_EQ(Import(copy, target), 0);
  const auto rows = Db(target).Query("SELECT ShortTextCol FROM \"日付試験用の表名\" WHERE IDCol = 1");
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0][0], "日本");
}

TEST_F(ImportTest, JapaneseTextInJet3) {
  const fs::path copy = Copy("nwind.mdb");
  const std::string cp932 = Shell("printf '日本語の会社名です!' | iconv -f UTF-8 -t CP932");
  Patch(copy, "Alfreds Futterkiste", cp932);
  const fs::path target = dir_ / "ja3.sqlite";
  ASSERT_EQ(Import(copy, target, "MDB_JET3_CHARSET=CP932"), 0);
  const auto rows = Db(target).Query("SELECT CompanyName FROM Customers WHERE CustomerID = 'ALFKI'");
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0][0], "日本語の会社名です!");
}

TEST_F(ImportTest, FailuresExitNonZeroAndLeaveNoTarget) {
  const fs::path target = dir_ / "out.sqlite";
  int status = 0;
  Shell(Quote(Importer()) + " 2>/dev/null", &status);
  EXPECT_EQ(status, 2);  // usage
  EXPECT_EQ(Import(dir_ / "missing.mdb", target), 3);
  const fs::path garbage = dir_ / "garbage.mdb";
  std::ofstream(garbage) << std::string(8192, 'x');
  EXPECT_EQ(Import(garbage, target), 3);
  // A copy still being written ends inside a page.
  const fs::path cut = Copy("nwind.mdb");
  fs::resize_file(cut, fs::file_size(cut) - 100);
  EXPECT_EQ(Import(cut, target), 3);
  EXPECT_FALSE(fs::exists(target));
  std::ofstream(target) << "occupied";
  EXPECT_EQ(Import(Sample("nwind.mdb"), target), 2);  // never overwrites
}

// Where a row's null mask keeps one column's bit: the byte's offset in the file, the bit.
std::pair<long, int> NullBitOf(const fs::path& file, const char* table, const char* key,
                               const std::string& keyValue, const char* column) {
  MdbHandle* mdb = mdb_open(file.c_str(), MDB_NOFLAGS);
  if (mdb == nullptr) return {-1, 0};
  mdb_read_catalog(mdb, MDB_TABLE);
  MdbTableDef* def = mdb_read_table_by_name(mdb, const_cast<char*>(table), MDB_TABLE);
  std::pair<long, int> found{-1, 0};
  if (def != nullptr) {
    mdb_read_columns(def);
    std::vector<char> keyText(MDB_BIND_SIZE);
    int keyColumn = -1, wanted = -1;
    for (unsigned i = 0; i < def->num_cols; ++i) {
      auto* col = static_cast<MdbColumn*>(g_ptr_array_index(def->columns, i));
      if (std::string(col->name) == key) keyColumn = static_cast<int>(i);
      if (std::string(col->name) == column) wanted = col->col_num;
    }
    if (keyColumn >= 0 && wanted >= 0) {
      mdb_bind_column(def, keyColumn + 1, keyText.data(), nullptr);
      mdb_rewind_table(def);
      while (mdb_fetch_row(def)) {
        if (keyText.data() != keyValue) continue;
        int start = 0;
        size_t size = 0;
        mdb_find_row(mdb, def->cur_row - 1, &start, &size);
        const long maskStart = start + static_cast<long>(size) - (def->num_cols + 7) / 8;
        found = {static_cast<long>(def->cur_phys_pg) * mdb->fmt->pg_size + maskStart + wanted / 8,
                 wanted % 8};
        break;
      }
    }
    mdb_free_tabledef(def);
  }
  mdb_close(mdb);
  return found;
}

// A text that is present but empty stays an empty text: only the null mask tells it from a
// Null, since both are stored with no bytes. ALFKI's Region, a Null, is made present.
TEST_F(ImportTest, AnEmptyTextIsNoNull) {
  const fs::path copy = Copy("nwind.mdb");
  const auto [at, bit] = NullBitOf(copy, "Customers", "CustomerID", "ALFKI", "Region");
  ASSERT_GE(at, 0);
  {
    std::fstream f(copy, std::ios::in | std::ios::out | std::ios::binary);
    f.seekg(at);
    char mask = 0;
    f.get(mask);
    ASSERT_EQ((mask >> bit) & 1, 0) << "a Null before the change";
    mask = static_cast<char>(mask | (1 << bit));
    f.seekp(at);
    f.put(mask);
  }
  const fs::path target = dir_ / "empty.sqlite";
  ASSERT_EQ(Import(copy, target), 0);
  Db db(target);
  const auto alfki = db.Query("SELECT Region IS NULL, Region = '' FROM Customers WHERE CustomerID = 'ALFKI'");
  ASSERT_EQ(alfki.size(), 1u);
  EXPECT_EQ(alfki[0][0], "0");
  EXPECT_EQ(alfki[0][1], "1");
  // The other Nulls stay Nulls.
  ASSERT_EQ(Import(Sample("nwind.mdb"), dir_ / "original.sqlite"), 0);
  const auto nulls = [](Db& d) {
    return std::stoi(d.Query("SELECT COUNT(*) FROM Customers WHERE Region IS NULL")[0][0].value_or(""));
  };
  Db original(dir_ / "original.sqlite");
  EXPECT_EQ(nulls(db), nulls(original) - 1);
}

// A table whose definition states more rows than its pages hold is a failed import, not a
// short table.
TEST_F(ImportTest, MissingRowsFailTheImport) {
  const fs::path copy = Copy("nwind.mdb");
  long page = 0, offset = 0, size = 0;
  {
    MdbHandle* mdb = mdb_open(copy.c_str(), MDB_NOFLAGS);
    ASSERT_NE(mdb, nullptr);
    mdb_read_catalog(mdb, MDB_TABLE);
    MdbCatalogEntry* entry = mdb_get_catalogentry_by_name(mdb, "Shippers");
    ASSERT_NE(entry, nullptr);
    page = static_cast<long>(entry->table_pg);
    offset = mdb->fmt->tab_num_rows_offset;
    size = static_cast<long>(mdb->fmt->pg_size);
    mdb_close(mdb);
  }
  {
    std::fstream f(copy, std::ios::in | std::ios::out | std::ios::binary);
    f.seekp(page * size + offset);
    const char rows[4] = {10, 0, 0, 0};  // the table holds 3
    f.write(rows, 4);
  }
  EXPECT_EQ(Import(copy, dir_ / "short.sqlite"), 5);
  EXPECT_FALSE(fs::exists(dir_ / "short.sqlite"));
}
