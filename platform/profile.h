// Profile (INI) files with the semantics of the Windows private-profile calls that the
// system's settings files were written for:
//  - section and key names compare without regard to ASCII letter case;
//  - blanks around names and values are dropped;
//  - a read fills a caller-sized buffer, so a value comes back cut to bufferSize - 1 bytes
//    (128-byte buffers give at most 127 bytes);
//  - a missing file, section or key gives the default;
//  - a write changes or adds one key and keeps every other line of the file as it was
//    (comments, blank lines, order, unknown sections and keys).
// Files are byte files: values are returned as the bytes on disk (CP932 for the system's
// files). The *Utf8 variants convert at the edge. Thread-safe as long as no two threads
// write the same file.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

inline constexpr std::size_t kProfileBufferSize = 128;

// Reads one value. Returns `def` (also cut to bufferSize - 1 bytes) when the file,
// the section or the key is missing. A bufferSize of 0 gives the empty text.
[[nodiscard]] std::string ReadProfileString(const std::filesystem::path& file,
                                            std::string_view section, std::string_view key,
                                            std::string_view def,
                                            std::size_t bufferSize = kProfileBufferSize);

// Writes one value, creating the file and the section when needed. With `value` empty
// optional the key is removed. Returns false when the file cannot be written. The file is
// replaced atomically (written beside it, then renamed), and keeps its permissions;
// `newFileMode` is used when the file did not exist.
[[nodiscard]] bool WriteProfileString(const std::filesystem::path& file,
                                      std::string_view section, std::string_view key,
                                      std::optional<std::string_view> value,
                                      unsigned newFileMode = 0644);

// The same on UTF-8 texts: the file holds CP932 (characters CP932 cannot hold are
// written as "?"; bytes that are not valid CP932 read back as U+FFFD).
[[nodiscard]] std::string ReadProfileStringUtf8(const std::filesystem::path& file,
                                                std::string_view section, std::string_view key,
                                                std::string_view def,
                                                std::size_t bufferSize = kProfileBufferSize);
[[nodiscard]] bool WriteProfileStringUtf8(const std::filesystem::path& file,
                                          std::string_view section, std::string_view key,
                                          std::optional<std::string_view> value,
                                          unsigned newFileMode = 0644);

// Whether a write of these arguments keeps the file well formed: section and key not
// empty after trimming, no line break or NUL in any of them, no "]" in the section, no
// "=" in the key and a key that does not look like a header or comment. Writes of other
// arguments are refused (WriteProfileString gives false, ProfileDocument::Set leaves
// the text unchanged), so a value can never inject lines into a settings file.
[[nodiscard]] bool ProfileArgumentsWritable(std::string_view section, std::string_view key,
                                            std::optional<std::string_view> value);

// Files larger than this are not read: a read gives the default and a write fails, so a
// runaway file never exhausts memory and is never cut short by a rewrite.
inline constexpr std::size_t kProfileMaxFileBytes = 16u * 1024 * 1024;

// Parses a whole profile text into (section, key, value) look-ups; exposed for the
// fuzzer and for callers that read many keys of one file.
class ProfileDocument {
 public:
  static ProfileDocument Parse(std::string_view bytes);
  // Value of the first matching key of the first matching section, trimmed, uncut.
  [[nodiscard]] std::optional<std::string> Get(std::string_view section,
                                               std::string_view key) const;
  // Sets or removes a key, keeping all other lines; returns the new file bytes.
  [[nodiscard]] std::string Set(std::string_view section, std::string_view key,
                                std::optional<std::string_view> value) const;
  [[nodiscard]] const std::string& Bytes() const { return bytes_; }

 private:
  std::string bytes_;
};

}  // namespace platform
