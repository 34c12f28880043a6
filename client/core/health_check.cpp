#include "client/core/health_check.h"

#include "client/core/host.h"
#include "client/core/installation_config.h"
#include "client/core/query_texts.h"

namespace tb {
namespace {

// The procedures report failures as message boxes: this host keeps the last one.
class QuietHost : public Host {
 public:
  MsgBoxResult MsgBox(std::string_view text, MsgBoxButtons, std::string_view, MsgBoxIcon) override {
    last_ = text;
    ++count_;
    return MsgBoxResult::kOk;
  }
  void ShowModal(Document&) override {}
  std::optional<std::string> ShowSaveDialog(const SaveDialogRequest&) override { return std::nullopt; }
  void SetStatusText(std::string_view) override {}
  void SetMousePointer(MousePointer) override {}
  std::string LocationUrl() override { return "http://localhost/docMain.vbd"; }
  void Navigate(std::string_view) override {}
  void GoBack() override {}
  void DoEvents() override {}
  LocalTime Now() override { return LocalTime{}; }  // no procedure used here reads the clock
  bool HasPrinter() override { return false; }

  [[nodiscard]] int Count() const { return count_; }
  [[nodiscard]] const std::string& Last() const { return last_; }

 private:
  int count_ = 0;
  std::string last_;
};

HealthResult Failed(std::string reason, std::string detail) {
  return {false, std::move(reason), std::move(detail)};
}

}  // namespace

HealthResult CheckInstallation(const ClientEnvironment& env) {
  if (auto why = UnreadableFolder(env.shareRoot, "share root")) return Failed("share not readable", *why);
  if (auto why = UnreadableFolder(env.clientDir, "client folder"))
    return Failed("client folder not readable", *why);
  QuietHost host;
  ClientState s;
  s.env = env;
  SetServerLocation(s, host.LocationUrl());
  ReadSettings(s, host);
  if (host.Count() > 0) return Failed("settings not readable", "TBWeb.ini or Vurodor.ini: " + host.Last());
  db::Recordset rs;
  if (!OpenKanriQuery(s, host, sql::PageCount(1), rs))
    return Failed("layout database not reachable", "Vurodor.mdb: " + host.Last());
  CloseKanriQuery(s, rs);
  try {
    OpenDataConnection(s);
  } catch (const std::exception& e) {
    return Failed("data database not reachable", e.what());
  }
  s.gDataCn->Close();
  return {true, "", ""};
}

}  // namespace tb
