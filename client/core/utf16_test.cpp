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

// The code points at each end of each UTF-8 length and of the surrogate range.
TEST(Utf16Test, EncodingBoundariesConvertExactly) {
  struct Row {
    const char* utf8;
    std::u16string utf16;
  };
  const Row rows[] = {
      {"\x7F", u"\x7F"},
      {"\xC2\x80", u"\x80"},
      {"\xDF\xBF", u"\x7FF"},
      {"\xE0\xA0\x80", u"\x800"},
      {"\xED\x9F\xBF", u"\xD7FF"},
      {"\xEE\x80\x80", u"\xE000"},
      {"\xEF\xBF\xBF", u"\xFFFF"},
      {"\xF0\x90\x80\x80", u"\xD800\xDC00"},
      {"\xF4\x8F\xBF\xBF", u"\xDBFF\xDFFF"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.utf8);
    EXPECT_EQ(Utf8ToUtf16(r.utf8), r.utf16);
    EXPECT_EQ(Utf16ToUtf8(r.utf16), r.utf8);
  }
}

TEST(Utf16Test, InvalidInputBecomesReplacementCharacters) {
  EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16("a\xff" "b")), "a\xEF\xBF\xBD" "b");
  EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16("\xE6\x97")), "\xEF\xBF\xBD\xEF\xBF\xBD");  // cut short
  EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16("\xC0\x80")), "\xEF\xBF\xBD\xEF\xBF\xBD");  // overlong
  // Surrogates encoded in UTF-8, and code points beyond U+10FFFF, are not characters.
  EXPECT_EQ(Utf8ToUtf16("\xED\xA0\x80"), u"\xFFFD\xFFFD\xFFFD");
  EXPECT_EQ(Utf8ToUtf16("\xED\xBF\xBF"), u"\xFFFD\xFFFD\xFFFD");
  EXPECT_EQ(Utf8ToUtf16("\xF4\x90\x80\x80"), u"\xFFFD\xFFFD\xFFFD\xFFFD");
  EXPECT_EQ(Utf8ToUtf16("\xE0\x9F\xBF"), u"\xFFFD\xFFFD\xFFFD");  // overlong
  // Lone surrogates, and a high one followed by something other than a low one.
  for (char16_t lone : {u'\xD800', u'\xDBFF', u'\xDC00', u'\xDFFF'})
    EXPECT_EQ(Utf16ToUtf8(std::u16string(1, lone) + u"a"), "\xEF\xBF\xBD" "a") << int(lone);
  EXPECT_EQ(Utf16ToUtf8(u"\xD800\xD800\xDC00"), "\xEF\xBF\xBD\xF0\x90\x80\x80");
  EXPECT_EQ(Utf16ToUtf8(u"\xD800"), "\xEF\xBF\xBD");
  // A pair is a pair whatever follows it (here a character above the surrogates, or nothing).
  EXPECT_EQ(Utf16ToUtf8(u"\xD840\xDC0B\xFF01"), "\xF0\xA0\x80\x8B\xEF\xBC\x81");
  EXPECT_EQ(Utf16ToUtf8(u"a\xD840\xDC0B"), "a\xF0\xA0\x80\x8B");
}

}  // namespace
}  // namespace tb
