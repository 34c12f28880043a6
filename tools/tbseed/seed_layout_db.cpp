// The layout database: tag master, heading and unit masters, and per report kind the
// page layout, the page titles and the pages to print.
#include "tools/tbseed/seed_share.h"
#include "tools/tbseed/sqlite_writer.h"

namespace tbseed {
namespace {

constexpr const char* kKindPrefix[3] = {"日報", "月報", "年報"};

void WriteMasters(SqliteWriter& w, const Plant& plant) {
  w.Exec("CREATE TABLE M_TAG (TAG_ID INTEGER PRIMARY KEY, タグ名称 TEXT, 大項目NO INTEGER, "
         "中項目NO INTEGER, 小項目NO INTEGER, 単位NO INTEGER, 有効桁 TEXT, 最大値 TEXT, "
         "最小値 TEXT, TOTAL_FLG BOOLEAN, AVE_FLG BOOLEAN, MAX_FLG BOOLEAN, MIN_FLG BOOLEAN, "
         "種別 INTEGER, P種別 INTEGER)");
  SqliteWriter::Insert tag(w, "INSERT INTO M_TAG VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)");
  for (const auto& t : plant.tags) {
    // The sludge flow's pattern is Null, as hand-kept masters have: read as "0".
    std::optional<std::string> digits = t.digits;
    if (t.digits == "0" && t.behaviour == Behaviour::kFlow) digits.reset();
    tag.Int(1, t.id).Text(2, t.name).Int(3, t.bigNo).Int(4, t.midNo).Int(5, t.smallNo);
    tag.Int(6, t.unitNo).Text(7, digits).Text(8, t.maxText).Text(9, t.minText);
    tag.Int(10, t.total).Int(11, t.ave).Int(12, t.max).Int(13, t.min);
    tag.Int(14, t.kind).Int(15, t.displayType).Step();
  }
  const std::pair<const char*, const std::map<int, std::string>*> names[] = {
      {"大項目", &plant.bigNames}, {"中項目", &plant.midNames}, {"小項目", &plant.smallNames}};
  for (const auto& [prefix, map] : names) {
    const std::string table = std::string(prefix) + "情報";
    w.Exec("CREATE TABLE " + table + " (" + prefix + "NO INTEGER PRIMARY KEY, 名称 TEXT)");
    SqliteWriter::Insert ins(w, "INSERT INTO " + table + " VALUES (?,?)");
    for (const auto& [no, name] : *map) ins.Int(1, no).Text(2, name).Step();
  }
  w.Exec("CREATE TABLE M_UNIT (単位NO INTEGER PRIMARY KEY, 名称 TEXT)");
  SqliteWriter::Insert unit(w, "INSERT INTO M_UNIT VALUES (?,?)");
  for (const auto& [no, name] : plant.unitNames) unit.Int(1, no).Text(2, name).Step();
}

void WriteKind(SqliteWriter& w, const std::string& prefix, const KindLayout& k) {
  const std::string layout = prefix + "情報";
  w.Exec("CREATE TABLE " + layout +
         " (TAG_ID INTEGER, ページNO INTEGER, 項目NO INTEGER, 備考 TEXT)");
  w.Exec("CREATE INDEX " + layout + "_ページ ON " + layout + " (ページNO, 項目NO)");
  SqliteWriter::Insert place(w, "INSERT INTO " + layout + " VALUES (?,?,?,NULL)");
  for (const auto& p : k.placements) place.Int(1, p.tagId).Int(2, p.page).Int(3, p.column).Step();

  w.Exec("CREATE TABLE " + prefix + "ページタイトル (PAGE INTEGER PRIMARY KEY, Title TEXT)");
  SqliteWriter::Insert title(w, "INSERT INTO " + prefix + "ページタイトル VALUES (?,?)");
  for (const auto& [page, text] : k.titles) title.Int(1, page).Text(2, text).Step();

  w.Exec("CREATE TABLE " + prefix + "出力ページ (PAGE INTEGER PRIMARY KEY)");
  SqliteWriter::Insert print(w, "INSERT INTO " + prefix + "出力ページ VALUES (?)");
  for (int page : k.printPages) print.Int(1, page).Step();
}

}  // namespace

void WriteLayoutDatabase(const std::filesystem::path& file, const Plant& plant) {
  SqliteWriter w(file);
  WriteMasters(w, plant);
  for (int kind = 0; kind < 3; ++kind) WriteKind(w, kKindPrefix[kind], plant.layouts[kind]);
  w.Commit();
}

}  // namespace tbseed
