// Names and files of the library's own temporary bitmap copies of TIFF images:
// "$FMKTMP$." and a three-digit number 001 to 999 in the temporary directory. A number is
// claimed by creating its file exclusively (an existing file, also one left behind by an
// earlier crash, keeps its number occupied), so two sessions or processes never share a
// copy. With no temporary directory set, the copies go to the system's temporary folder.
// Also the TIFF name test and the path joins of the image directory.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace fd::image {

inline constexpr int kMaxTempCopies = 999;
inline constexpr std::size_t kMaxTiffNameBytes = 256;

// True when `name` ends in ".tif" or ".tiff" (any letter case) and has at most 256 bytes.
[[nodiscard]] bool IsTiffName(std::string_view name);

// The part of `name` after its last "\", "/" or ":" (the whole name when it has none).
// Double-byte characters are skipped whole, so a trail byte is never a separator.
[[nodiscard]] std::string LastNamePart(std::string_view name);

// directory + separator + name (no second separator when the directory ends in one).
[[nodiscard]] std::string JoinPath(std::string_view directory, std::string_view name);

// The folder that holds the copies: `tempDirectory`, or the system's temporary folder
// ($TMPDIR, else /tmp) when it is empty.
[[nodiscard]] std::string TempCopyFolder(std::string_view tempDirectory);

// The path of copy `number` in that folder.
[[nodiscard]] std::string TempCopyPath(std::string_view tempDirectory, int number);

struct TempCopy {
  int number = 0;
  std::string path;
};

// Claims the lowest free number by creating its file, empty. nullopt when the temporary
// directory is set but is not an existing directory, when a file cannot be created, or
// when all 999 numbers are taken.
[[nodiscard]] std::optional<TempCopy> ClaimTempCopy(std::string_view tempDirectory);

// Deletes a copy; a missing file is not an error.
void DeleteTempCopy(const std::string& path);

}  // namespace fd::image
