// Test support for the print jobs: a temporary share with a layout database (one page of
// daily items by default) and a data database, a ClientState describing a daily report on
// it, and the recording stand-in of the form library (its call log as UTF-8 lines).
// Header-only; used by *_test.cpp files only.
#pragma once

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "client/core/client_state.h"
#include "client/core/scripted_host.h"
#include "client/core/query_texts.h"
#include "client/core/test_files.h"
#include "platform/codepage.h"

namespace tb::print::testing {

namespace fs = std::filesystem;

// The recorder inside the stand-in library.
class FakeLibrary {
 public:
  FakeLibrary() {
    handle_ = dlopen(TB_FAKE_FMDRAW, RTLD_NOW | RTLD_LOCAL);
    if (!handle_) throw std::runtime_error("stand-in library missing");
    Call<void (*)()>("FakeFmReset")();
  }
  ~FakeLibrary() { dlclose(handle_); }
  FakeLibrary(const FakeLibrary&) = delete;
  FakeLibrary& operator=(const FakeLibrary&) = delete;

  void SetInitResult(int rc) { Call<void (*)(int32_t)>("FakeFmSetInitResult")(rc); }
  // Every FmInit call overwrites `file` with `bytes` (before it answers).
  void SetInitWrite(const fs::path& file, const std::string& bytes) {
    Call<void (*)(const char*, const char*)>("FakeFmSetInitWrite")(file.c_str(), bytes.c_str());
  }
  void SetField(const std::string& name, int l, int t, int r, int b) {
    Call<void (*)(const char*, int32_t, int32_t, int32_t, int32_t)>("FakeFmSetField")(name.c_str(), l, t, r, b);
  }
  // The calls so far, one a line, texts converted to UTF-8.
  [[nodiscard]] std::vector<std::string> Lines() const {
    std::vector<std::string> out;
    std::istringstream in(platform::Cp932ToUtf8(Call<const char* (*)()>("FakeFmLog")()));
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
  }
  // The lines that start with `prefix`.
  [[nodiscard]] std::vector<std::string> Lines(std::string_view prefix) const {
    std::vector<std::string> out;
    for (auto& l : Lines())
      if (l.rfind(prefix, 0) == 0) out.push_back(l);
    return out;
  }

 private:
  template <class Fn>
  Fn Call(const char* name) const {
    return reinterpret_cast<Fn>(dlsym(handle_, name));
  }
  void* handle_ = nullptr;
};

// A share with Vurodor.mdb and RIVove.mdb and a daily report on A3 described in `state`.
class PrintShare {
 public:
  PrintShare() {
    fs::create_directories(Share() / "TB_DataBase");
    fs::create_directories(Share() / "TB_Format");
    fs::create_directories(ClientDir());
    ::tb::testing::MakeSqlite(LayoutDb(),
        "CREATE TABLE M_TAG (TAG_ID INTEGER, 大項目NO INTEGER, 中項目NO INTEGER, 小項目NO INTEGER,"
        " 単位NO INTEGER, TOTAL_FLG INTEGER, AVE_FLG INTEGER, 有効桁 TEXT, 最大値 REAL, 最小値 REAL,"
        " MAX_FLG INTEGER, MIN_FLG INTEGER, 種別 INTEGER, P種別 INTEGER);"
        "CREATE TABLE 大項目情報 (大項目NO INTEGER, 名称 TEXT);"
        "CREATE TABLE 中項目情報 (中項目NO INTEGER, 名称 TEXT);"
        "CREATE TABLE 小項目情報 (小項目NO INTEGER, 名称 TEXT);"
        "CREATE TABLE M_UNIT (単位NO INTEGER, 名称 TEXT);"
        "CREATE TABLE 日報情報 (TAG_ID INTEGER, ページNO INTEGER, 項目NO INTEGER);"
        "CREATE TABLE 月報情報 (TAG_ID INTEGER, ページNO INTEGER, 項目NO INTEGER);"
        "CREATE TABLE 年報情報 (TAG_ID INTEGER, ページNO INTEGER, 項目NO INTEGER);"
        "CREATE TABLE 日報ページタイトル (PAGE INTEGER, Title TEXT);"
        "CREATE TABLE 月報ページタイトル (PAGE INTEGER, Title TEXT);"
        "CREATE TABLE 年報ページタイトル (PAGE INTEGER, Title TEXT);"
        "CREATE TABLE 日報出力ページ (PAGE INTEGER);"
        "CREATE TABLE 月報出力ページ (PAGE INTEGER);"
        "CREATE TABLE 年報出力ページ (PAGE INTEGER);"
        "INSERT INTO 小項目情報 VALUES (0, '');");
    std::string data;
    for (const char* t : {"D_DDAT", "D_MDAT", "D_YDAT"}) {
      data += std::string("CREATE TABLE ") + t + " (DATE TEXT, TAG_ID INTEGER";
      for (int k = 1; k <= 31; ++k) data += ", DATA_" + std::to_string(k) + " TEXT";
      data += ", TOTAL TEXT, AVE TEXT, MAX TEXT, MIN TEXT);";
    }
    ::tb::testing::MakeSqlite(DataDb(), data);
  }

  // An item: tag `tag` in column `item` of page `page` of the kind, with its headings.
  void AddItem(int kind, int page, int item, int tag, const std::string& big, const std::string& mid,
               const std::string& small, const std::string& unit, const std::string& digits,
               int displayType = 0) {
    const char* table = kind == 1 ? "日報情報" : kind == 2 ? "月報情報" : "年報情報";
    const std::string t = std::to_string(tag);
    ::tb::testing::MakeSqlite(LayoutDb(),
        "INSERT INTO " + std::string(table) + " VALUES (" + t + "," + std::to_string(page) + "," +
        std::to_string(item) + ");"
        "INSERT INTO M_TAG VALUES (" + t + "," + t + "," + t + ",0," + t + ",1,1,'" + digits +
        "',0,0,1,1,0," + std::to_string(displayType) + ");"
        "INSERT INTO 大項目情報 VALUES (" + t + ",'" + big + "');"
        "INSERT INTO 中項目情報 VALUES (" + t + ",'" + mid + "');"
        "INSERT INTO M_UNIT VALUES (" + t + ",'" + unit + "');"
        + (small.empty() ? "" : "UPDATE M_TAG SET 小項目NO = " + t + " WHERE TAG_ID = " + t +
                                 "; INSERT INTO 小項目情報 VALUES (" + t + ",'" + small + "');"));
  }
  void AddPage(int kind, int page, const std::string& title) {
    const char* k = kind == 1 ? "日報" : kind == 2 ? "月報" : "年報";
    ::tb::testing::MakeSqlite(LayoutDb(),
        std::string("INSERT INTO ") + k + "出力ページ VALUES (" + std::to_string(page) + ");" +
        "INSERT INTO " + k + "ページタイトル VALUES (" + std::to_string(page) + ",'" + title + "');");
  }
  // A value row: values[k-1] is DATA_k ("" = Null), then TOTAL, AVE, MAX, MIN.
  void AddValues(const std::string& table, const std::string& key, int tag,
                 const std::vector<std::string>& values, const std::vector<std::string>& summary) {
    std::string sql = "INSERT INTO " + table + " (DATE, TAG_ID";
    std::string vals = "'" + key + "'," + std::to_string(tag);
    auto add = [&](const std::string& col, const std::string& v) {
      if (v.empty()) return;
      sql += "," + col;
      vals += ",'" + v + "'";
    };
    for (std::size_t k = 0; k < values.size(); ++k) add("DATA_" + std::to_string(k + 1), values[k]);
    const char* names[] = {"TOTAL", "AVE", "MAX", "MIN"};
    for (std::size_t n = 0; n < summary.size() && n < 4; ++n) add(names[n], summary[n]);
    ::tb::testing::MakeSqlite(DataDb(), sql + ") VALUES (" + vals + ")");
  }

  // A daily report of 24 rows from hour 1, page count 1, paper A3, through `library`.
  void Describe(ClientState& s, const fs::path& library) const {
    s.env.shareRoot = Share();
    s.env.clientDir = ClientDir();
    s.env.jetCacheDir = dir_.path() / "cache";
    s.env.formLibrary = library;
    s.gServerFolder = "\\\\HOST\\vurodor";
    s.gConnectString = "Provider=Microsoft.jet.OLEDB.4.0;Data Source=\\\\HOST\\vurodor\\TB_DataBase\\RIVove.mdb";
    s.gPaperSize = "A3";
    s.gWesternYear = 1;
    s.gReportKind = 1;
    s.gColumnCount = 24;
    s.gPeriodStart = 1;
    s.gDataTable = "D_DDAT";
    s.gItemSql = sql::ItemQuery(1);
    s.gMaxPage = 1;
  }

  // Switches the described report to another kind with `rows` period rows.
  static void SetKind(ClientState& s, int kind, int rows) {
    s.gReportKind = static_cast<std::int16_t>(kind);
    s.gDataTable = kind == 1 ? "D_DDAT" : kind == 2 ? "D_MDAT" : "D_YDAT";
    s.gItemSql = sql::ItemQuery(kind);
    s.gColumnCount = static_cast<std::int16_t>(rows);
  }

  [[nodiscard]] fs::path Share() const { return dir_.path() / "share"; }
  [[nodiscard]] fs::path ClientDir() const { return dir_.path() / "client"; }
  [[nodiscard]] fs::path Root() const { return dir_.path(); }
  [[nodiscard]] fs::path LayoutDb() const { return Share() / "TB_DataBase" / "Vurodor.mdb"; }
  [[nodiscard]] fs::path DataDb() const { return Share() / "TB_DataBase" / "RIVove.mdb"; }

 private:
  ::tb::testing::TempDir dir_;
};

}  // namespace tb::print::testing
