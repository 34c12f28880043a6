#include "client/web/download_header.h"

#include <gtest/gtest.h>

namespace tb::web {
namespace {

using Headers = std::vector<std::pair<std::string, std::string>>;

// Old browsers take the plain name, the others the UTF-8 one; both name the same file,
// and no copy of it is kept in a cache.
TEST(DownloadHeaderTest, NamesTheFilePlainAndInUtf8) {
  EXPECT_EQ(DownloadHeaders("日報 1.csv"),
            (Headers{{"Content-Disposition",
                      "attachment; filename=\"______ 1.csv\"; filename*=UTF-8''%E6%97%A5%E5%A0%B1%201.csv"},
                     {"Cache-Control", "no-store"}}));
  EXPECT_EQ(DownloadHeaders("Az09.-_~x")[0].second,
            "attachment; filename=\"Az09.-_~x\"; filename*=UTF-8''Az09.-_%7Ex");
}

}  // namespace
}  // namespace tb::web
