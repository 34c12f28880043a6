// The web host's private folder for the sessions' saved files: made at start below the
// system's temporary folder, removed when the host ends. The host holds a lock on it
// while it runs, so that a folder left by a host that was killed (nobody holds it) is
// removed by the next host that starts there.
#pragma once

#include <chrono>
#include <filesystem>
#include <string>

namespace tb::web {

class TempRoot {
 public:
  // Makes <parent>/<prefix>XXXXXX after removing the abandoned folders of that pattern
  // that belong to this user; Path() is empty when the folder cannot be made.
  TempRoot(const std::filesystem::path& parent, const std::string& prefix);
  ~TempRoot();  // removes the folder
  TempRoot(const TempRoot&) = delete;
  TempRoot& operator=(const TempRoot&) = delete;

  [[nodiscard]] const std::filesystem::path& Path() const { return path_; }
  // Removes the folder now (before a fast exit that skips destructors).
  void Remove();

 private:
  std::filesystem::path path_;
  int lockFd_ = -1;
};

// Removes <parent>/<prefix>XXXXXX folders of this user that no running host holds and
// that are at least `minAge` old (the age covers a new host's moment between making its
// folder and locking it). Returns how many were removed.
int RemoveAbandonedTempRoots(const std::filesystem::path& parent, const std::string& prefix,
                             std::chrono::seconds minAge = std::chrono::seconds(5));

}  // namespace tb::web
