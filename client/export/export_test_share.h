// Test support (header only): a small share with pages that exercise the workbook (joined
// large headings, a duration column, Null, "*", marks, a gap, titles a sheet name cannot
// hold as they are), and the independent reader: dump_workbook.py (openpyxl) run on a
// written file, its JSON parsed.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>

#include <nlohmann/json.hpp>

#include "client/grid/grid_test_share.h"

namespace tb::workbook::testing {

namespace fs = std::filesystem;
using testing_share::Cell;
using testing_share::Share;
using testing_share::Tag;
using testing_share::Values;

// What openpyxl reads from the workbook (see testdata/dump_workbook.py).
inline nlohmann::json ReadWorkbook(const fs::path& file) {
  const char* src = std::getenv("TB_SOURCE_DIR");
  const fs::path script = fs::path(src ? src : ".") / "client/export/testdata/dump_workbook.py";
  // Debian's interpreter, which python3-openpyxl installs into (not one first on PATH).
  const std::string command = "/usr/bin/python3 '" + script.string() + "' '" + file.string() + "' 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) throw std::runtime_error("cannot run " + command);
  std::string out;
  char buffer[4096];
  for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
  if (pclose(pipe) != 0) throw std::runtime_error("reader failed: " + out);
  return nlohmann::json::parse(out);
}

inline const nlohmann::json& At(const nlohmann::json& sheet, const std::string& cell) {
  static const nlohmann::json kNone = {{"v", nullptr}, {"t", "none"}};
  const auto& cells = sheet["cells"];
  return cells.contains(cell) ? cells[cell] : kNone;
}

inline const std::string kLongTitle = "第一浄水場沈殿池およびろ過池の流入水量と濁度の記録です";

// Daily page 1 (title with forbidden characters): columns 1-2 one large heading, 3 a
// duration, 5 after a gap. Page 2 and 3: the same long title, one tag each. Page 4 has no
// rows. Values on 2026/12/8.
inline void FillDailyShare(Share& share) {
  share.AddTag({1, "取水", "流量", "瞬時", "m3/h", "0.0", 0});
  share.AddTag({2, "取水", "濁度", "平均", "度", "0.00", 0});
  share.AddTag({3, "運転", "ポンプ", "1号", "時間", "0", 6});
  share.AddTag({5, "送水", "圧力", "出口", "MPa", "0.000", 0});
  share.AddTag({6, "薬品", "PAC", "注入", "L", std::nullopt, 0});  // empty pattern: "0"
  for (auto [col, tag] : {std::pair{1, 1}, {2, 2}, {3, 3}, {5, 5}}) share.Place(1, 1, col, tag);
  share.Place(1, 2, 1, 6);
  share.Place(1, 3, 1, 1);
  share.Place(1, 5, 1, 2);  // page 5 puts the empty page 4 inside the period
  share.Title(1, 1, "取水[系]:1/2*?\\");
  share.Title(1, 2, kLongTitle);
  share.Title(1, 3, kLongTitle);
  std::vector<Cell> flow(24, Cell{"100"});
  flow[0] = "101.25";   // rounds half away from zero on the decimal: 101.3
  flow[1] = "1234.56";  // 1,234.6
  flow[2] = std::nullopt;
  flow[3] = "*";
  flow[4] = "1250";     // the maximum: red
  flow[5] = "2.5";      // the minimum: blue
  flow[6] = "";
  share.Put(1, "2026/12/8", 1, {flow, "24000.04", "1000.05", "1250", "2.5"});
  share.Put(1, "2026/12/8", 2, {{"0.125", "2", "2"}, "4.125", "1.375", "2", "0.125"});
  share.Put(1, "2026/12/8", 3, {{"90", "*", "60000", "59.5"}, "*", "60", "60000", "59.5"});
  share.Put(1, "2026/12/8", 5, {{"-0.0004", "1.2345"}, std::nullopt, std::nullopt, "1.2345", "-0.0004"});
  share.Put(1, "2026/12/8", 6, {{"3", "4"}, "7", "3.5", "4", "3"});
}

}  // namespace tb::workbook::testing
