#include "client/web/download_header.h"

#include <gtest/gtest.h>

namespace tb::web {
namespace {

// Old browsers take the plain name, the others the UTF-8 one; both name the same file.
TEST(DownloadHeaderTest, NamesTheFilePlainAndInUtf8) {
  EXPECT_EQ(DownloadDisposition("日報 1.csv"),
            "attachment; filename=\"______ 1.csv\"; filename*=UTF-8''%E6%97%A5%E5%A0%B1%201.csv");
  EXPECT_EQ(DownloadDisposition("Az09.-_~x"), "attachment; filename=\"Az09.-_~x\"; filename*=UTF-8''Az09.-_%7Ex");
}

}  // namespace
}  // namespace tb::web
