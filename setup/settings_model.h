// The connection settings that TBWebSetup edits: the seven keys of the client's
// TBWeb.ini, loaded from and saved to the file in the folder the program serves.
// Plain C++ (no Qt): the window only moves these values between its controls and this
// model. Not thread-safe; one window uses one store.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace setup {

// The name the program creates the file under; an existing file is found whatever the
// letter case of its name (the client's "TBWeb.ini" is the same file). When the folder
// holds several spellings, the platform's one rule picks the entry, the same one the
// client reads.
inline constexpr std::string_view kSettingsFileName = "TBWEB.ini";

// Mode of a settings file this program creates: it holds the SQL Server password in
// plain text, so only its owner may read it. An existing file keeps its mode.
inline constexpr unsigned kNewSettingsFileMode = 0600;

// The values as the window shows them. Texts are UTF-8.
struct SettingsValues {
  std::string dsn;          // [Vurodor] dsn
  bool sqlServer = false;   // [DB] FLG is exactly "1"
  std::string source;       // [SQL] SOURCE
  std::string uid;          // [SQL] UID
  std::string pwd;          // [SQL] PWD, plain text
  std::string database;     // [SQL] DATABASE
  bool vbdKind = false;     // [KIND] FLG is exactly "1"

  friend bool operator==(const SettingsValues&, const SettingsValues&) = default;
};

class SettingsStore {
 public:
  // `dir` is the folder whose settings file is edited (the program's own folder).
  explicit SettingsStore(std::filesystem::path dir);

  // The existing settings file of the folder (any letter case of kSettingsFileName), or
  // dir / kSettingsFileName when there is none yet.
  [[nodiscard]] std::filesystem::path File() const;

  // Reads the seven keys; a missing file or key reads as the empty text (and so as
  // "not SQL Server" and "bin" kind).
  [[nodiscard]] SettingsValues Load() const;

  // Writes the seven keys in this order: [Vurodor] dsn, [DB] FLG, [SQL] SOURCE, UID, PWD,
  // DATABASE, [KIND] FLG. Every other line of the file is kept. Returns false when a
  // write failed (the remaining keys are still attempted).
  [[nodiscard]] bool Save(const SettingsValues& values) const;

 private:
  std::filesystem::path dir_;
};

// A value as it can be stored on one line of the file: line breaks (which would start
// new keys or sections) and NUL characters become blanks.
[[nodiscard]] std::string OneLineValue(std::string_view text);

}  // namespace setup
