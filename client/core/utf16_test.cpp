#include "client/core/utf16.h"

#include <gtest/gtest.h>

namespace tb {
namespace {

TEST(Utf16Test, RoundTripsJapaneseAndSupplementaryCharacters) {
  for (std::string s : {"", "ページNO", "日報情報", "𠮷野家", "m3/h ℃"}) {
    SCOPED_TRACE(s);
    EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16(s)), s);
  }
  EXPECT_EQ(Utf8ToUtf16("𠮷").size(), 2u);
}

TEST(Utf16Test, InvalidInputBecomesReplacementCharacters) {
  EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16("a\xff" "b")), "a\xEF\xBF\xBD" "b");
  EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16("\xE6\x97")), "\xEF\xBF\xBD\xEF\xBF\xBD");  // cut short
  EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16("\xC0\x80")), "\xEF\xBF\xBD\xEF\xBF\xBD");  // overlong
  EXPECT_EQ(Utf16ToUtf8(std::u16string(1, u'\xD800')), "\xEF\xBF\xBD");
}

}  // namespace
}  // namespace tb
