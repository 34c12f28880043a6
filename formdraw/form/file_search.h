// Finding and reading the library's input files.
//  - The "system file search" for a bare name: the current directory, then each folder
//    of the colon-separated FMDRAW_PATH. Names match exactly first, then without regard
//    to ASCII letter case (files copied from Windows keep their case).
//  - A name that does not open as given is retried as its last component through that
//    search (a form moved away from the folder its caller remembers is still found).
//  - A name is tried on disk first converted from CP932 to UTF-8, then as the bytes it
//    is: files copied from a Windows share, or a share mounted with a UTF-8 character
//    set, carry UTF-8 names, while files written by programs that pass the bytes on
//    carry CP932 names.
// Names are CP932 byte strings; separators are "\" (as callers on the original platform
// write them) and "/". Thread-safe; reads the environment on every call.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace fmdraw::form {

inline constexpr std::size_t kMaxInputFileBytes = 64u << 20;

// The names a CP932 name can have on disk, in the order they are tried: its UTF-8 form
// (when the bytes are valid CP932 and the UTF-8 form differs from them), then the bytes
// as given.
std::vector<std::string> DiskNames(std::string_view cp932);

// The first disk name that is a readable regular file, or a directory; nullopt when none.
std::optional<std::string> ExistingFile(std::string_view cp932);
std::optional<std::string> ExistingDirectory(std::string_view cp932);

// The disk name to create (or replace) a file under: one that exists first, else the
// first whose folder exists, else the bytes as given.
std::string CreatableName(std::string_view cp932);

// The part after the last separator, found searching backwards from the third byte
// before the end; a separator at the first byte counts as none. Double-byte characters
// are skipped whole, so a CP932 trail byte 0x5C is never taken for a separator.
// nullopt when there is no such separator.
std::optional<std::string> BareName(std::string_view name);

// The system file search for a bare name (each of its disk names); the path found, or
// nullopt when nothing matches.
std::optional<std::string> SystemFileSearch(std::string_view bareName);

// The disk name of the name as given when that is a readable file, else its bare name
// through the system search; nullopt when neither works.
std::optional<std::string> LocateFile(std::string_view name);

// Whole file contents, cut at kMaxInputFileBytes; nullopt when it cannot be opened or is
// not a regular file (a directory, a named pipe, a device).
std::optional<std::vector<uint8_t>> ReadFileBytes(const std::string& path);

// ExistingFile then ReadFileBytes (no search for the bare name).
std::optional<std::vector<uint8_t>> ReadNamedFile(std::string_view cp932);

// LocateFile then ReadFileBytes; `opened` receives the path that was read.
std::optional<std::vector<uint8_t>> ReadLocatedFile(std::string_view name,
                                                    std::string* opened = nullptr);

}  // namespace fmdraw::form
