#include "setup/settings_model.h"

#include <utility>

#include "platform/profile.h"
#include "platform/share_path.h"

namespace setup {
namespace {

// One key of the file, in the order the program writes them.
struct KeyRef {
  std::string_view section;
  std::string_view key;
};

constexpr KeyRef kDsn{"Vurodor", "dsn"};
constexpr KeyRef kDbFlg{"DB", "FLG"};
constexpr KeyRef kSource{"SQL", "SOURCE"};
constexpr KeyRef kUid{"SQL", "UID"};
constexpr KeyRef kPwd{"SQL", "PWD"};
constexpr KeyRef kDatabase{"SQL", "DATABASE"};
constexpr KeyRef kKindFlg{"KIND", "FLG"};

std::string Read(const std::filesystem::path& file, KeyRef k) {
  return platform::ReadProfileStringUtf8(file, k.section, k.key, "");
}

bool Write(const std::filesystem::path& file, KeyRef k, std::string_view value) {
  return platform::WriteProfileStringUtf8(file, k.section, k.key, OneLineValue(value),
                                          kNewSettingsFileMode);
}

std::string_view Flag(bool on) { return on ? "1" : "0"; }

}  // namespace

SettingsStore::SettingsStore(std::filesystem::path dir) : dir_(std::move(dir)) {}

std::filesystem::path SettingsStore::File() const {
  if (auto found = platform::FindEntryIgnoringCase(dir_, kSettingsFileName)) return *found;
  return dir_ / kSettingsFileName;
}

SettingsValues SettingsStore::Load() const {
  const auto file = File();
  SettingsValues v;
  v.dsn = Read(file, kDsn);
  v.sqlServer = Read(file, kDbFlg) == "1";
  v.source = Read(file, kSource);
  v.uid = Read(file, kUid);
  v.pwd = Read(file, kPwd);
  v.database = Read(file, kDatabase);
  v.vbdKind = Read(file, kKindFlg) == "1";
  return v;
}

bool SettingsStore::Save(const SettingsValues& values) const {
  const auto file = File();
  // Every write is attempted even after a failure, as a sequence of independent profile
  // writes would be; the caller learns whether all of them succeeded.
  bool ok = Write(file, kDsn, values.dsn);
  ok = Write(file, kDbFlg, Flag(values.sqlServer)) && ok;
  ok = Write(file, kSource, values.source) && ok;
  ok = Write(file, kUid, values.uid) && ok;
  ok = Write(file, kPwd, values.pwd) && ok;
  ok = Write(file, kDatabase, values.database) && ok;
  ok = Write(file, kKindFlg, Flag(values.vbdKind)) && ok;
  return ok;
}

std::string OneLineValue(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c == '\r' || c == '\n' || c == '\0') c = ' ';
  }
  return out;
}

}  // namespace setup
