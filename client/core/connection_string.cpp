#include "client/core/connection_string.h"

#include <cctype>

namespace tb::db {
namespace {

std::string_view Trim(std::string_view s) {
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
  return s;
}

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

}  // namespace

std::optional<std::string> ConnectionStringValue(std::string_view text, std::string_view key) {
  const std::string wanted = Lower(Trim(key));
  while (!text.empty()) {
    auto semi = text.find(';');
    std::string_view part = text.substr(0, semi);
    text = semi == std::string_view::npos ? std::string_view{} : text.substr(semi + 1);
    auto eq = part.find('=');
    if (eq == std::string_view::npos) continue;
    if (Lower(Trim(part.substr(0, eq))) == wanted) return std::string(Trim(part.substr(eq + 1)));
  }
  return std::nullopt;
}

ConnectionTarget ParseConnectionTarget(std::string_view text) {
  ConnectionTarget t;
  t.provider = ConnectionStringValue(text, "Provider").value_or("");
  t.dataSource = ConnectionStringValue(text, "Data Source").value_or("");
  const std::string p = Lower(t.provider);
  if (p.starts_with("microsoft.jet.oledb.") || p.starts_with("microsoft.ace.oledb."))
    t.kind = ProviderKind::kJet;
  else if (p == "sqloledb" || p.starts_with("sqloledb."))
    t.kind = ProviderKind::kSqlServer;
  return t;
}

}  // namespace tb::db
