// The font a layout engine asks the device for, and the font-table entry of a form it is
// made from. Plain values.
#pragma once

#include <string>
#include <string_view>

namespace fd::draw {

inline constexpr int kShiftJisCharset = 128;

// A font-table entry of the current form (the 38-byte table): the entry's first word,
// face name (CP932), pitch-and-family byte and character set.
struct FontEntry {
  int firstWord = 0;
  std::string face;
  int pitchAndFamily = 0;
  int charset = kShiftJisCharset;
};

// What the engine wants selected: sizes in dots, escapement in tenths of a degree.
struct FontRequest {
  int height = 0;
  int width = 0;  // character-cell width; 0 = the face's own
  int escapement = 0;
  int weight = 400;
  bool italic = false;
  int charset = kShiftJisCharset;
  int pitchAndFamily = 0;
  std::string face;
  bool operator==(const FontRequest&) const = default;
};

// The two built-in faces in CP932: "ＭＳ 明朝" and "ＭＳ ゴシック".
inline constexpr std::string_view kMinchoFace = "\x82\x6c\x82\x72\x20\x96\xbe\x92\xa9";
inline constexpr std::string_view kGothicFace =
    "\x82\x6c\x82\x72\x20\x83\x53\x83\x56\x83\x62\x83\x4e";

[[nodiscard]] constexpr bool IsBuiltInFace(std::string_view face) {
  return face == kMinchoFace || face == kGothicFace;
}

// The entry's pitch-and-family byte, with 4 added when the entry's first word is set.
[[nodiscard]] constexpr int EntryPitchAndFamily(const FontEntry& e) {
  return e.pitchAndFamily + (e.firstWord != 0 ? 4 : 0);
}

}  // namespace fd::draw
