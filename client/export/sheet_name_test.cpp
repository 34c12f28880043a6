// Sheet names: forbidden characters, the 31-character limit, uniqueness.
#include "client/export/sheet_name.h"

#include <gtest/gtest.h>

#include "client/core/utf16.h"

namespace tb::workbook {
namespace {

size_t Units(const std::string& s) { return Utf8ToUtf16(s).size(); }

TEST(SheetName, ForbiddenCharactersBecomeFullWidth) {
  EXPECT_EQ(PageSheetName(3, "取水[1]:A*B?C/D\\E"), "3 取水［1］：A＊B？C／D＼E");
  EXPECT_EQ(PageSheetName(4, "a\tb\x01"), "4 ab");
  EXPECT_EQ(PageSheetName(5, ""), "5");
  EXPECT_EQ(PageSheetName(6, "   "), "6");
  EXPECT_EQ(PageSheetName(7, "ポンプ'"), "7 ポンプ＇");  // may not end in an apostrophe
}

TEST(SheetName, LongTitlesAreCutToThirtyOneUnits) {
  const std::string title(40, 'x');
  EXPECT_EQ(PageSheetName(12, title), "12 " + std::string(28, 'x'));
  const std::string kanji = "沈殿池流入水量沈殿池流入水量沈殿池流入水量沈殿池流入水量沈殿池";
  const auto name = PageSheetName(1, kanji);
  EXPECT_EQ(Units(name), 31u);
  EXPECT_EQ(name, "1 " + Utf16ToUtf8(Utf8ToUtf16(kanji).substr(0, 29)));
  // A character outside the BMP takes two units and is never split.
  std::string wide = std::string(28, 'y') + "\xF0\xA0\x80\x8B";  // 28 + U+2000B
  EXPECT_EQ(PageSheetName(1, wide), "1 " + std::string(28, 'y'));
  // The cut can leave an apostrophe at the end.
  EXPECT_EQ(PageSheetName(1, std::string(28, 'z') + "'abc"), "1 " + std::string(28, 'z') + "＇");
}

TEST(SheetName, UniqueIgnoringLetterCase) {
  const std::vector<std::string> taken = {"1 Pump", "1 ｐｕｍｐ (2)"};
  EXPECT_EQ(UniqueSheetName("2 Pump", taken), "2 Pump");
  EXPECT_EQ(UniqueSheetName("1 PUMP", taken), "1 PUMP (2)");
  EXPECT_EQ(UniqueSheetName("1 ＰＵＭＰ", {"1 ｐｕｍｐ", "1 ＰＵＭＰ (2)"}), "1 ＰＵＭＰ (3)");
  const std::string full = "1 " + std::string(29, 'q');
  const auto unique = UniqueSheetName(full, {full});
  EXPECT_EQ(unique, "1 " + std::string(25, 'q') + " (2)");
  EXPECT_EQ(Units(unique), 31u);
}

}  // namespace
}  // namespace tb::workbook
