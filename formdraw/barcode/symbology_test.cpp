#include "formdraw/barcode/symbology.h"

#include <gtest/gtest.h>

namespace fd::barcode {
namespace {

TEST(Symbology, TextChecksAndCompletedTexts) {
  struct Row {
    int id;
    Encoded got;
    int code;
    const char* text;
  } rows[] = {
      // JAN: 12 digits get the modulo-10 check digit (weights 3,1 from the right); a 13th
      // digit is kept even when it is wrong.
      {1, EncodeJan13("490123456789"), 0, "4901234567894"},
      {2, EncodeJan13("4901234567890"), 0, "4901234567890"},
      {3, EncodeJan13("49012345678"), kBadLength, ""},
      {4, EncodeJan13("49012345678A"), kBadCharacter, ""},
      {5, EncodeJan8("4901234"), 0, "49012347"},
      {6, EncodeJan8("490123"), kBadLength, ""},
      {7, EncodeJan8("490123456"), kBadLength, ""},
      {8, EncodeJan8("4901234X"), kBadCharacter, ""},
      // Code 39: "*" framing; modulo 43 check on request; "*" and lower case refused.
      {9, EncodeCode39("CODE 39", false), 0, "*CODE 39*"},
      {10, EncodeCode39("CODE 39", true), 0, "*CODE 39R*"},
      {11, EncodeCode39("A*B", false), kBadCharacter, ""},
      {12, EncodeCode39("abc", false), kBadCharacter, ""},
      // ITF: an odd length gets a check digit; even lengths none; at most 30 digits.
      {13, EncodeItf("12345"), 0, "123457"},
      {14, EncodeItf("1234"), 0, "1234"},
      {15, EncodeItf(std::string(31, '1')), kBadLength, ""},
      {16, EncodeItf("12a4"), kBadCharacter, ""},
      // NW-7: modulo 16 check inserted before the stop character.
      {17, EncodeNw7("A123B", true), 0, "A1239B"},
      {18, EncodeNw7("A123B", false), 0, "A123B"},
      {19, EncodeNw7("A12E3B", true), kBadCharacter, ""},
      {20, EncodeNw7(std::string(31, '1'), false), kBadLength, ""},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.id);
    EXPECT_EQ(r.got.code, r.code);
    if (r.code == 0) {
      EXPECT_EQ(r.got.text, r.text);
    }
  }
}

// Module counts of the published layouts: EAN-13 is 95 modules plus the trailing quiet
// space, EAN-8 67; every character of Code 39 has 3 wide of 9 elements.
TEST(Symbology, ElementCountsMatchThePublishedLayouts) {
  auto modules = [](const std::vector<Element>& els) {
    int sum = 0;
    for (const auto& e : els)
      sum += e.width == Width::kModule7      ? 7
             : e.width == Width::kStartSpace ? 0
                                             : static_cast<int>(e.width) - static_cast<int>(Width::kModule1) + 1;
    return sum;
  };
  EXPECT_EQ(modules(Elements(Symbology::kJan13, "4901234567894")), 95 + 7);
  EXPECT_EQ(modules(Elements(Symbology::kJan8, "49012347")), 67 + 7);
  auto c39 = Elements(Symbology::kCode39, "*A*");
  ASSERT_EQ(c39.size(), 30u);  // 3 characters x (9 elements + gap)
  int wide = 0;
  for (int i = 0; i < 9; ++i) wide += c39[10 + i].width == Width::kWide;
  EXPECT_EQ(wide, 3);
  // ITF: start (4) + 10 per digit pair + stop (3).
  EXPECT_EQ(Elements(Symbology::kItf, "1234").size(), 4u + 20u + 3u);
}

}  // namespace
}  // namespace fd::barcode
