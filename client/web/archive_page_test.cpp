// The archive page's HTML: what a folder page offers, and that texts from a manifest
// cannot become markup.
#include "client/web/archive_page.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "client/archive/manifest.h"
#include "client/core/test_files.h"

namespace tb::web {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

TEST(ArchivePage, AFolderPageLinksEachVersionAndEscapesWhatTheManifestSays) {
  ::tb::testing::TempDir dir;
  const std::string h(64, 'a');
  archive::Manifest m;
  m.Add({{"2026/12/8", 1, "pdf", "2026-12-08.pdf", 7, h, h, "2026-12-09 09:00:00"},
         {"2026/12/8", 1, "csv", "2026-12-08/26120801.csv", 3, h, h, "2026-12-09 09:00:00"},
         {"<script>alert(1)</script>", 0, "nodata", "-", 0, "-", h, "<b>t</b>"}});
  ::tb::testing::WriteBytes(dir.path() / "daily/2026/12/manifest.tsv", m.Text());

  const auto html = ArchiveFolderHtml(dir.path(), "daily/2026/12");
  ASSERT_TRUE(html);
  EXPECT_THAT(*html, HasSubstr("<title>帳票アーカイブ 日報 2026年12月</title>"));
  EXPECT_THAT(*html, HasSubstr("<a href=\"/archive/daily/2026/12/2026-12-08.pdf\" target=\"_blank\" class=\"pdf\">"));
  EXPECT_THAT(*html, HasSubstr("<a href=\"/archive/daily/2026/12/2026-12-08/26120801.csv\" download class=\"csv\">"));
  EXPECT_THAT(*html, HasSubstr("&lt;script&gt;alert(1)&lt;/script&gt;</td><td></td><td colspan=\"3\">データなし"));
  EXPECT_THAT(*html, Not(HasSubstr("<script>")));
  EXPECT_FALSE(ArchiveFolderHtml(dir.path(), "daily/2026/11"));
  EXPECT_FALSE(ArchiveFolderHtml(dir.path(), "daily/2026"));

  const std::string index = ArchiveIndexHtml(dir.path());
  EXPECT_THAT(index, HasSubstr("<a href=\"/archive/daily/2026/12/\">12月</a>"));
  EXPECT_THAT(index, HasSubstr("<section id=\"monthly\"><h2>月報</h2><p class=\"empty\">まだありません。</p>"));
}

}  // namespace
}  // namespace tb::web
