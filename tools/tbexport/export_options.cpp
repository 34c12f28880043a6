#include "tools/tbexport/export_options.h"

#include <algorithm>
#include <charconv>
#include <map>

#include "client/export/report_period.h"

namespace tbexport {

namespace {

const std::map<std::string, int, std::less<>> kKinds = {{"daily", 1}, {"monthly", 2}, {"yearly", 3}};
const char* const kFlags[] = {"--share-root", "--client-dir", "--cache-dir", "--kind",
                              "--date",       "--page",       "--out"};

bool Fail(std::string* error, std::string text) {
  if (error) *error = std::move(text);
  return false;
}

std::optional<int> PageNumber(const std::string& text) {
  int v = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (ec != std::errc{} || end != text.data() + text.size() || v < 1 || v > 32767) return std::nullopt;
  return v;
}

// Checks the flags' values and fills the options from them.
bool Read(const std::map<std::string, std::string>& v, Options& o, std::string* error) {
  for (const char* required : {"--share-root", "--client-dir", "--kind", "--date", "--out"})
    if (!v.contains(required)) return Fail(error, std::string(required) + " is required");
  const auto kind = kKinds.find(v.at("--kind"));
  if (kind == kKinds.end()) return Fail(error, "--kind must be daily, monthly or yearly");
  o.kind = kind->second;
  const auto date = tb::workbook::ParsePeriodKey(o.kind, v.at("--date"));
  if (!date) return Fail(error, "--date is not a " + kind->first + " period key (" +
                                    (o.kind == 1 ? "2026/12/8" : o.kind == 2 ? "2026/12" : "2026") + ")");
  o.date = *date;
  if (v.contains("--page")) {
    o.page = PageNumber(v.at("--page"));
    if (!o.page) return Fail(error, "--page must be a page number from 1");
  }
  o.shareRoot = v.at("--share-root");
  o.clientDir = v.at("--client-dir");
  o.cacheDir = v.contains("--cache-dir") ? std::filesystem::path(v.at("--cache-dir")) : o.clientDir / "jetcache";
  o.out = v.at("--out");
  if (o.out.extension() != ".xlsx" || o.out.filename() == ".xlsx")
    return Fail(error, "--out must name a .xlsx file");
  return true;
}

}  // namespace

std::string Usage() {
  return "usage: tbexport --share-root DIR --client-dir DIR --kind daily|monthly|yearly\n"
         "                --date KEY [--page N] --out FILE.xlsx [--cache-dir DIR]\n"
         "\n"
         "Writes the workbook of one report period: one sheet per page, or page N only.\n"
         "KEY is the period key as the kind writes it: 2026/12/8, 2026/12 or 2026.\n"
         "Exit status: 0 written, 1 not written (the reason on stderr), 2 bad arguments.\n";
}

std::optional<Options> ParseOptions(const std::vector<std::string>& args, std::string* error) {
  Options o;
  std::map<std::string, std::string> values;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--help" || a == "-h") {
      o.help = true;
      return o;
    }
    if (std::find(std::begin(kFlags), std::end(kFlags), a) == std::end(kFlags)) {
      Fail(error, "unknown argument " + a);
      return std::nullopt;
    }
    if (i + 1 >= args.size() || args[i + 1].empty()) {
      Fail(error, a + " needs a value");
      return std::nullopt;
    }
    if (!values.emplace(a, args[++i]).second) {
      Fail(error, a + " given twice");
      return std::nullopt;
    }
  }
  if (!Read(values, o, error)) return std::nullopt;
  return o;
}

}  // namespace tbexport
