// The host's temporary folder: one left by a killed host is removed at the next start;
// a running host's folder, another user's folder and folders of other names are kept.
#include "client/web/temp_root.h"

#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>

#include "client/core/test_files.h"

namespace tb::web {
namespace {

namespace fs = std::filesystem;

TEST(TempRoot, StartRemovesOnlyWhatKilledHostsOfThisUserLeft) {
  tb::testing::TempDir parent;
  const pid_t child = ::fork();
  if (child == 0) {
    TempRoot killed(parent.path(), "host-");
    std::ofstream(killed.Path() / "saved.csv") << "x";
    ::raise(SIGKILL);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFSIGNALED(status));
  ASSERT_EQ(std::distance(fs::directory_iterator(parent.path()), fs::directory_iterator()), 1);
  const fs::path abandoned = fs::directory_iterator(parent.path())->path();

  TempRoot running(parent.path(), "host-");
  ASSERT_FALSE(running.Path().empty());
  const fs::path otherUser = parent.path() / "host-nobody";
  fs::create_directory(otherUser);
  ASSERT_EQ(::chown(otherUser.c_str(), 65534, 65534), 0);
  fs::create_directory(parent.path() / "host-notes.d");

  EXPECT_EQ(RemoveAbandonedTempRoots(parent.path(), "host-", std::chrono::seconds(0)), 1);
  EXPECT_FALSE(fs::exists(abandoned));
  EXPECT_TRUE(fs::is_directory(running.Path()));
  EXPECT_TRUE(fs::is_directory(otherUser));
  EXPECT_TRUE(fs::is_directory(parent.path() / "host-notes.d"));

  fs::path ended;
  {
    TempRoot host(parent.path(), "host-");
    ended = host.Path();
    std::ofstream(ended / "saved.pdf") << "x";
  }
  EXPECT_FALSE(fs::exists(ended)) << "a host that ends removes its folder";
}

}  // namespace
}  // namespace tb::web
