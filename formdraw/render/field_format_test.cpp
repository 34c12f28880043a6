#include "formdraw/render/field_format.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace fd::render {
namespace {

TEST(NumericFormat, PicturesPlaceDigitsSignsAndSeparators) {
  struct Row {
    int id;
    const char* value;
    const char* picture;
    const char* expected;  // nullptr: does not fit
  } rows[] = {
      {1, "1234567", "Z,ZZZ,ZZ9", "1,234,567"},
      {2, "-1234", "Z,ZZZ,ZZ9", "   -1,234"},
      {3, "12", "ZZZ,ZZ9", "     12"},
      {4, "1234567", "ZZZ,ZZ9", nullptr},
      {5, "-5", "9999", "-005"},
      {6, "3.5", "ZZ9.99", "  3.50"},
      {7, "5", "ZZ9.ZZ", "     5"},
      {8, "0", "ZZZ", "   "},
      {9, "-0.00", "Z9.99", " 0.00"},
      {10, "5", "9,999", "0,005"},          // zero padding keeps its separator
      {11, "-123", "Z,ZZ9", " -123"},       // a sign before a separator moves past it
      {12, "0.05", "Z9.99", " 0.05"},       // fraction zeros are digits, not padding
      {13, "007", "ZZ9", "  7"},
      {14, "1,234.50", "Z,ZZ9.99", "1,234.50"},  // separators in the value are dropped
      {15, "12.345", "ZZ9.99", nullptr},    // too many decimals
      {16, "*", "ZZ9", "  0"},              // no digits at all: only the 9 shows
      {17, "-", "ZZ9", "  0"},
      {18, "", "999", "000"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.id);
    auto got = FormatNumeric(r.value, r.picture, std::nullopt);
    if (r.expected) {
      ASSERT_TRUE(got.has_value());
      EXPECT_EQ(*got, r.expected);
    } else {
      EXPECT_FALSE(got.has_value());
    }
  }
}

TEST(NumericFormat, PadCharacterFillsThePictureOnOverflow) {
  EXPECT_EQ(FormatNumeric("1234567", "ZZZ,ZZ9", '*'), "*******");
  EXPECT_EQ(FormatNumeric("12", "ZZZ,ZZ9", '*'), "     12");
}

TEST(TextFormat, CutsOnlyWhenAskedAndNeverSplitsADoubleByteCharacter) {
  // "日本" in CP932 is four bytes.
  const std::string nihon = "\x93\xfa\x96\x7b";
  EXPECT_EQ(FormatFieldValue(nihon, "XXXX", {}), nihon);
  EXPECT_EQ(FormatFieldValue(nihon, "XXX", {}), std::nullopt);
  EXPECT_EQ(FormatFieldValue(nihon, "XXX", {.cutLongText = true}), "\x93\xfa");
  EXPECT_EQ(FormatFieldValue("ab", "", {}), std::nullopt);
  EXPECT_EQ(FormatFieldValue("", "", {}), "");
  EXPECT_EQ(FormatFieldValue("ab", "", {.cutLongText = true}), "");
  // A broken double-byte character at the end is cut as a single byte.
  EXPECT_EQ(FormatText("a\x93", 1, true), "a");
}

TEST(NumericFormat, NormalisationKeepsTheNumber) {
  EXPECT_EQ(NormaliseNumber("00120.500"), "120.5");
  EXPECT_EQ(NormaliseNumber("0.0"), "0.");
  EXPECT_EQ(NormaliseNumber("000."), "0.") << "the zero before a last point stays";
  EXPECT_EQ(NormaliseNumber("-007"), "-7");
  EXPECT_EQ(NormaliseNumber("-"), "");
  EXPECT_EQ(NormaliseNumber("100"), "100");
}

// The rule as stated: find the first sign that can move, move it, start again from the
// beginning. MoveSigns must give the same result on every string of signs, zeros, digits,
// blanks and separators up to seven characters long.
std::string MoveSignsByTheRule(std::string s) {
  for (bool moved = true; moved;) {
    moved = false;
    for (std::size_t i = 0; i < s.size() && !moved; ++i) {
      if (s[i] != '-') continue;
      std::size_t j = i;
      while (j > 0 && s[j - 1] == '0') --j;
      if (j < i) std::swap(s[i], s[j]), moved = true;
      else if (i + 1 < s.size() && (s[i + 1] == ' ' || s[i + 1] == ',')) std::swap(s[i], s[i + 1]), moved = true;
    }
  }
  return s;
}

TEST(NumericFormat, SignMovesFollowTheRule) {
  const std::string alphabet = "-0 ,5";
  for (std::size_t length = 1; length <= 7; ++length) {
    std::size_t combinations = 1;
    for (std::size_t k = 0; k < length; ++k) combinations *= alphabet.size();
    for (std::size_t n = 0; n < combinations; ++n) {
      std::string s;
      for (std::size_t k = 0, v = n; k < length; ++k, v /= alphabet.size()) s += alphabet[v % alphabet.size()];
      std::string moved = s;
      MoveSigns(moved);
      ASSERT_EQ(moved, MoveSignsByTheRule(s)) << "from \"" << s << "\"";
    }
  }
}

// A form may chain a format over hundreds of records; a value of signs against a picture
// of separators makes every sign travel. Rescanning from the start took minutes here.
TEST(NumericFormat, LongPicturesOfSignsAndSeparatorsFinish) {
  std::string picture, value(8000, '-');
  for (int i = 0; i < 8000; ++i) picture += "Z,";
  const auto got = FormatNumeric(value, picture, std::nullopt);
  ASSERT_TRUE(got.has_value());
  EXPECT_EQ(got->size(), picture.size());
  // Every separator ends up before the signs and becomes a blank; the last sign, with no
  // digit after it, is dropped as the sign of a zero.
  EXPECT_EQ(got->find_first_not_of(' '), 8000u);
  EXPECT_EQ(std::count(got->begin(), got->end(), '-'), 7999);
}

}  // namespace
}  // namespace fd::render
