#include "client/web/archive_page.h"

#include <httplib.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <vector>

#include "client/archive/archive_index.h"

namespace tb::web {
namespace {

namespace ar = tb::archive;

constexpr std::string_view kPrefix = "/archive/";
constexpr std::uintmax_t kMaxFile = 256u << 20;
constexpr std::array<std::string_view, 3> kKindTitles{"日報", "月報", "年報"};

std::string Escape(std::string_view text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&#39;"; break;
      default: out += c;
    }
  }
  return out;
}

std::string Link(std::string_view href, std::string_view text, std::string_view extra = {}) {
  return "<a href=\"" + Escape(href) + "\"" + std::string(extra) + ">" + Escape(text) + "</a>";
}

std::string Page(std::string_view title, const std::string& body) {
  return "<!DOCTYPE html>\n<html lang=\"ja\"><head><meta charset=\"utf-8\">"
         "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">"
         "<title>" + Escape(title) + "</title><link rel=\"stylesheet\" href=\"/assets/archive.css\"></head>"
         "<body><header><h1>" + Escape(title) + "</h1><nav>" + Link("/archive/", "アーカイブ一覧") + " " +
         Link("/docMain.vbd", "帳票選択へ戻る") + "</nav></header>\n" + body + "</body></html>\n";
}

std::string KindSection(const std::filesystem::path& root, ar::Kind kind) {
  const int k = static_cast<int>(kind);
  const std::string name(ar::KindName(kind));
  std::string html = "<section id=\"" + name + "\"><h2>" + std::string(kKindTitles[k - 1]) + "</h2>";
  std::string list;
  if (kind == ar::Kind::kYearly) {
    if (ar::ArchivedPeriods(root, name)) list += "<li>" + Link("/archive/yearly/", "年報の一覧") + "</li>";
  } else {
    for (const auto& year : ar::ArchivedYears(root, kind)) {
      list += "<li><span class=\"year\">" + Escape(year) + "年</span>";
      if (kind == ar::Kind::kMonthly) {
        list += " " + Link("/archive/monthly/" + year + "/", year + "年の月報");
      } else {
        for (const auto& month : ar::ArchivedMonths(root, year))
          list += " " + Link("/archive/daily/" + year + "/" + month + "/", std::to_string(std::stoi(month)) + "月");
      }
      list += "</li>";
    }
  }
  html += list.empty() ? "<p class=\"empty\">まだありません。</p>" : "<ul>" + list + "</ul>";
  return html + "</section>\n";
}

// "帳票アーカイブ 日報 2026年12月", "... 月報 2026年", "... 年報" (the folder was checked).
std::string FolderTitle(std::string_view folder) {
  std::vector<std::string> parts;
  for (std::size_t pos = 0; pos <= folder.size();) {
    const std::size_t slash = std::min(folder.find('/', pos), folder.size());
    parts.emplace_back(folder.substr(pos, slash - pos));
    pos = slash + 1;
  }
  const auto kind = ar::KindFromName(parts[0]);
  std::string title = "帳票アーカイブ " + std::string(kKindTitles[static_cast<int>(*kind) - 1]);
  if (parts.size() > 1) title += " " + parts[1] + "年";
  if (parts.size() > 2) title += std::to_string(std::stoi(parts[2])) + "月";
  return title;
}

std::string VersionRow(const ar::IndexedPeriod& p, const ar::IndexedVersion& v, bool newest) {
  std::string row = "<tr" + std::string(newest ? "" : " class=\"older\"") + "><td>" +
                    (newest ? Escape(p.key) : std::string()) + "</td><td>" + std::to_string(v.version) + "</td><td>";
  if (v.pdf) row += Link(std::string(kPrefix) + v.pdf->path, v.pdf->name, " target=\"_blank\" class=\"pdf\"");
  row += "</td><td>";
  for (const auto& f : v.pages) row += Link(std::string(kPrefix) + f.path, f.name, " download class=\"csv\"") + " ";
  return row + "</td><td>" + Escape(v.written) + "</td></tr>\n";
}

std::string PeriodRows(const ar::IndexedPeriod& p) {
  if (p.versions.empty())
    return "<tr class=\"nodata\"><td>" + Escape(p.key) + "</td><td></td><td colspan=\"3\">データなし</td></tr>\n";
  std::string rows;
  for (std::size_t i = 0; i < p.versions.size(); ++i) rows += VersionRow(p, p.versions[i], i == 0);
  return rows;
}

void Send(httplib::Response& res, int status, const std::string& html) {
  res.status = status;
  res.set_header("Cache-Control", "no-store");
  res.set_header("Content-Security-Policy", "default-src 'self'; frame-ancestors 'none'; base-uri 'none'");
  res.set_header("X-Content-Type-Options", "nosniff");
  res.set_content(html, "text/html; charset=utf-8");
}

void NotFound(httplib::Response& res) {
  Send(res, 404, Page("帳票アーカイブ", "<p>見つかりません。</p>"));
}

std::string_view ContentType(std::string_view name) {
  if (name.ends_with(".pdf")) return "application/pdf";
  if (name.ends_with(".csv")) return "text/csv; charset=Shift_JIS";
  return "text/plain; charset=utf-8";
}

void SendFile(const std::filesystem::path& root, std::string_view rel, httplib::Response& res) {
  const auto file = ar::OpenArchivedFile(root, rel);
  if (!file) return NotFound(res);
  std::string body;
  if (file->bytes <= kMaxFile) {
    body.resize(static_cast<std::size_t>(file->bytes));
    const ssize_t got = ::pread(file->fd, body.data(), body.size(), 0);
    if (got != static_cast<ssize_t>(body.size())) body.clear();
  }
  ::close(file->fd);
  if (body.size() != file->bytes) return NotFound(res);
  // PDFs open in the browser; page CSVs are saved under their archived names.
  const bool inline_ = !file->name.ends_with(".csv");
  res.set_header("Content-Disposition", std::string(inline_ ? "inline" : "attachment") + "; filename=\"" +
                                            file->name + "\"");
  res.set_header("X-Content-Type-Options", "nosniff");
  res.set_header("Cache-Control", "no-cache");
  res.set_content(std::move(body), std::string(ContentType(file->name)));
}

}  // namespace

std::string ArchiveIndexHtml(const std::filesystem::path& root) {
  std::string body;
  for (const auto kind : {ar::Kind::kDaily, ar::Kind::kMonthly, ar::Kind::kYearly}) body += KindSection(root, kind);
  return Page("帳票アーカイブ", body);
}

std::optional<std::string> ArchiveFolderHtml(const std::filesystem::path& root, std::string_view folder) {
  const auto periods = ar::ArchivedPeriods(root, folder);
  if (!periods) return std::nullopt;
  std::string body =
      "<table><thead><tr><th>期間</th><th>版</th><th>PDF</th><th>CSV</th><th>作成日時</th></tr></thead><tbody>\n";
  for (const auto& p : *periods) body += PeriodRows(p);
  body += "</tbody></table>\n<p class=\"manifest\">" +
          Link(std::string(kPrefix) + std::string(folder) + "/manifest.tsv", "一覧ファイル (manifest.tsv)") + "</p>\n";
  return Page(FolderTitle(folder), body);
}

void AddArchiveRoutes(httplib::Server& http, const std::filesystem::path& archiveRoot) {
  http.Get("/archive", [](const httplib::Request&, httplib::Response& res) { res.set_redirect("/archive/"); });
  http.Get(R"(/archive/(.*))", [archiveRoot](const httplib::Request& req, httplib::Response& res) {
    if (archiveRoot.empty()) return Send(res, 404, Page("帳票アーカイブ", "<p>アーカイブは設定されていません。</p>"));
    const std::string rel = req.matches[1].str();
    if (rel.empty()) return Send(res, 200, ArchiveIndexHtml(archiveRoot));
    if (rel.back() == '/') {
      const auto html = ArchiveFolderHtml(archiveRoot, std::string_view(rel).substr(0, rel.size() - 1));
      return html ? Send(res, 200, *html) : NotFound(res);
    }
    SendFile(archiveRoot, rel, res);
  });
}

}  // namespace tb::web
