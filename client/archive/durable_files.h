// File operations that survive a crash or a kill at any moment: a file is written under a
// temporary name in its own folder, flushed to the disk, and renamed over its final name;
// the folder is flushed after every rename and every new entry, so that a finished step
// is on the disk before the next begins. Every failure throws ArchiveError naming the
// path and the system's reason (a full disk, a read-only folder) and leaves no temporary
// file behind. Not thread-safe for the same paths; the archive lock serialises runs.
#pragma once

#include <filesystem>
#include <string_view>

namespace tb::archive {

// Writes `bytes` as `file` atomically: readers see the old file or the whole new one.
void WriteFileAtomically(const std::filesystem::path& file, std::string_view bytes);

// Creates `file` (replacing one of that name) with `bytes` and flushes it; for files made
// inside a staging folder, which is renamed into place as a whole afterwards.
void WriteFileDurably(const std::filesystem::path& file, std::string_view bytes);

// Flushes a file or folder to the disk.
void SyncPath(const std::filesystem::path& path);

// Creates `folder` and any missing parents, flushing each parent that got a new entry.
void MakeFolders(const std::filesystem::path& folder);

// Renames `from` onto `to` (a file, or a folder onto a missing name). The caller flushes
// the folder of `to` (SyncPath) once its renames are done.
void Rename(const std::filesystem::path& from, const std::filesystem::path& to);

// The last `n` bytes of a file (fewer when it is shorter). Throws ArchiveError.
[[nodiscard]] std::string ReadTail(const std::filesystem::path& file, std::size_t n);

// Removes a file or folder tree if present. Throws when something remains.
void RemoveTree(const std::filesystem::path& path);

}  // namespace tb::archive
