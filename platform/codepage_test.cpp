#include "platform/codepage.h"

#include <utility>

#include <gtest/gtest.h>

namespace platform {
namespace {

TEST(CodepageTest, RoundTripsJapaneseAndAscii) {
  const std::string utf8 = "日報 A-1 ｱｲｳ ～ ￥";
  const std::string cp932 = Utf8ToCp932(utf8);
  EXPECT_EQ(cp932, "\x93\xfa\x95\xf1 A-1 \xb1\xb2\xb3 \x81\x60 \x81\x8f");
  EXPECT_EQ(Cp932ToUtf8(cp932), utf8);
  EXPECT_EQ(Cp932ToUtf8(""), "");
}

TEST(CodepageTest, BadInputIsReplacedAndTheRestKept) {
  // 0x85 0x40 is unassigned, a lead byte at the end is cut off, 0xA0 is not CP932.
  EXPECT_EQ(Cp932ToUtf8("a\x85\x40" "b"), "a\uFFFD@b");
  EXPECT_EQ(Cp932ToUtf8("ab\x93"), "ab\uFFFD");
  EXPECT_EQ(Cp932ToUtf8("\xA0x"), "\uFFFDx");
  // Characters CP932 cannot hold, and bytes that are not UTF-8, become one "?" each.
  EXPECT_EQ(Utf8ToCp932("a\u2603b\U0001F600c"), "a?b?c");
  EXPECT_EQ(Utf8ToCp932("a\xFF\xC3" "b"), "a??b");
  const std::string big(100000, 'x');
  EXPECT_EQ(Cp932ToUtf8(big + "\xFF"), big + "\uFFFD");
}

// The lead bytes decide where every CP932 text splits into characters (and that the
// second byte of "表", 0x5C, is no path separator); half-width kana stand alone.
TEST(CodepageTest, LeadBytesAreTheTwoDoubleByteRanges) {
  const std::pair<unsigned char, bool> edges[] = {
      {'\\', false}, {0x80, false}, {0x81, true}, {0x95, true}, {0x9F, true}, {0xA0, false},
      {0xB1, false}, {0xDF, false}, {0xE0, true}, {0xFC, true}, {0xFD, false}, {0xFF, false}};
  for (const auto& [byte, lead] : edges) EXPECT_EQ(IsCp932LeadByte(byte), lead) << int{byte};
  EXPECT_EQ(Utf8ToCp932("表"), "\x95\\");
}

}  // namespace
}  // namespace platform
