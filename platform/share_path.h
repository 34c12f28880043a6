// Maps the Windows paths that the system builds (UNC share paths such as
// \\HOST\vurodor\TB_DataBase\Vurodor.mdb, and plain relative names) onto local files.
// The web host is the server, so every \\<host>\vurodor share is the configured share
// root. Backslashes become path separators and each component is matched without regard
// to letter case against what exists, so a share copied from Windows works unchanged.
// A path can never leave the share root: "." and ".." components and empty components
// are refused. Thread-safe.
#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

namespace platform {

// The share name every \\host\<share> path must use.
inline constexpr std::string_view kShareName = "vurodor";

// Resolves a UNC path under `shareRoot`. The host part is ignored (any host, with or
// without a port). Components that exist are matched case-insensitively; the first
// component that does not exist and every one after it are kept as written (so a file
// about to be created resolves too). Returns nullopt for a path that is not a
// \\host\vurodor path, or that has "." / ".." / empty components.
[[nodiscard]] std::optional<std::filesystem::path> ResolveSharePath(
    std::string_view uncPath, const std::filesystem::path& shareRoot);

// Resolves `relative` (components separated by "\" or "/") under `base` with the same
// case-insensitive matching and the same refusal of "." / "..". Used for the client
// folder (TBWeb.ini, WEBLOG) and for files named by tools.
[[nodiscard]] std::optional<std::filesystem::path> ResolveUnder(
    const std::filesystem::path& base, std::string_view relative);

// The case-insensitive lookup of one existing entry of `dir`; nullopt when none matches.
// Of several entries that differ only in letter case, the one whose name sorts first
// byte-wise is taken whatever spelling `name` has, so every caller that asks for the
// same name in any spelling gets the same entry.
[[nodiscard]] std::optional<std::filesystem::path> FindEntryIgnoringCase(
    const std::filesystem::path& dir, std::string_view name);

}  // namespace platform
